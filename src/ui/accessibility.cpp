#include "ui/accessibility.h"

#include "ui/backup_dialog.h"
#include "ui/drop_down_list.h"
#include "ui/main_form.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

namespace fambridge {

namespace {

// Qt on Linux names a drop-down list by the entry it shows and leaves what it lists to a label relation,
// so that "Database" would be read as "Family", and the drive list by its drive. Here the name is the
// list's own, and the entry shown is its value.
class NamedDropDownList : public QAccessibleWidget {
public:
    explicit NamedDropDownList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return static_cast<const QComboBox*>(widget())->currentText();
        return QAccessibleWidget::text(kind);
    }
};

bool is(const QString& className, const QMetaObject& type) {
    return className == QLatin1String(type.className());
}

QAccessibleInterface* accessibleInterface(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    // Qt reports a top-level plain widget as a client area, which screen readers pass over in silence.
    if (is(className, MainForm::staticMetaObject))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (is(className, DropDownList::staticMetaObject) || is(className, DriveList::staticMetaObject))
        return new NamedDropDownList(static_cast<QComboBox*>(widget));
    return nullptr;
}

} // namespace

void installAccessibleInterfaces() {
    static const bool installed = (QAccessible::installFactory(accessibleInterface), true);
    Q_UNUSED(installed);
}

} // namespace fambridge
