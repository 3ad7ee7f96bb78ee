#include "ui/drop_down_list.h"

#include <QAbstractItemView>
#include <QEvent>

namespace fambridge {

void DropDownList::changeEvent(QEvent* event) {
    // Before the popup exists a font change has nothing to pass on: the popup takes the list's font
    // when it is made, as windows that propagate their parent's font do.
    if (event->type() == QEvent::FontChange && !findChild<QAbstractItemView*>()) {
        updateGeometry();
        QWidget::changeEvent(event);
        return;
    }
    QComboBox::changeEvent(event);
}

void DropDownList::showPopup() {
    view()->setAccessibleName(accessibleName());
    QComboBox::showPopup();
}

} // namespace fambridge
