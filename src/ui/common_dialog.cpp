#include "ui/common_dialog.h"

namespace fambridge {

CommonDialog::CommonDialog(platform::FileSystem& fileSystem, FileDialogRunner& runner, QWidget* owner)
    : m_fileSystem(fileSystem), m_owner(owner), m_runner(runner) {}

QStringList CommonDialog::nameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        const QString& description = parts[i];
        filters.append(description.endsWith(QLatin1Char(')'))
                           ? description
                           : description + QStringLiteral(" (%1)").arg(patterns));
    }
    return filters;
}

void CommonDialog::ShowOpen() {
    show(false);
}
void CommonDialog::ShowSave() {
    show(true);
}

void CommonDialog::show(bool save) {
    FileDialogRequest request;
    request.save = save;
    request.title = DialogTitle;
    request.nameFilters = nameFilters(Filter);
    request.defaultSuffix = DefaultExt;
    request.flags = Flags;

    // A preset full path opens its own folder, as on Windows; otherwise the initial folder, when it is there.
    const auto isFolder = [this](const QString& dosPath) {
        const auto attributes = m_fileSystem.attributes(dosPath);
        return attributes && attributes->testFlag(platform::Attribute::Directory);
    };
    QString folder = InitDir;
    if (!FileName.isEmpty()) {
        if (const auto preset = m_fileSystem.parse(FileName); preset && !preset->isRoot()) {
            request.fileName = preset->components.back();
            if (isFolder(preset->parent().toString()))
                folder = preset->parent().toString();
        }
    }
    if (!folder.isEmpty() && isFolder(folder))
        request.folder = folder;

    if (const auto chosen = m_runner.run(request, m_owner))
        FileName = *chosen;
}

} // namespace fambridge
