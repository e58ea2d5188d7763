#include "platform/CommDlgs.h"

#include <QCoreApplication>
#include <QColor>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace plomet {

namespace {

// Qt's own dialog, with one check the save mode lacks: the folder of the
// chosen name must exist (the open mode already insists on an existing file).
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    QString withDefaultSuffix(const QString& path) const
    {
        const QFileInfo info(path);
        if (defaultSuffix().isEmpty() || info.isDir() || info.fileName().isEmpty()
            || info.fileName().contains(u'.'))
            return path;
        return path + u'.' + defaultSuffix();
    }

    void accept() override
    {
        if (acceptMode() == AcceptSave) {
            const QStringList files = selectedFiles();
            if (!files.isEmpty()) {
                // Append the default extension here, before Qt looks for an
                // existing file, so that "seal" over an existing "seal.PMF"
                // asks first.
                const QString withExt = withDefaultSuffix(files.first());
                if (withExt != files.first()) {
                    selectFile(withExt);
                    if (selectedFiles().value(0) != withExt)
                        return;
                }
                const QFileInfo chosen(withExt);
                const QString folder = chosen.absolutePath();
                if (!chosen.isDir() && !QFileInfo(folder).isDir()) {
                    QMessageBox::warning(this, windowTitle(),
                                         QCoreApplication::translate("plomet::CommDlgs", "The folder \"%1\" does not exist; choose an existing folder.")
                                             .arg(QDir::toNativeSeparators(folder)));
                    return;
                }
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

QStringList nameFiltersFromPairs(const QString& filter)
{
    const QStringList parts = filter.split(QChar(u'\0'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        const QString joined = patterns.join(u' ');
        if (desc.endsWith(QStringLiteral("(") + joined + QStringLiteral(")")))
            out << desc;
        else if (desc.isEmpty())
            out << joined;
        else
            out << desc + QStringLiteral(" (") + joined + QStringLiteral(")");
    }
    return out;
}

int32_t colorRef(const QColor& color)
{
    const QColor c = color.toRgb();
    return static_cast<int32_t>((uint32_t(c.blue()) << 16) | (uint32_t(c.green()) << 8)
                                | uint32_t(c.red()));
}

QString ShowFileDialog(QWidget* owner, int mode, const QString& title,
                       const QString& initialFile, const QString& filter,
                       const QString& initialDir, const QString& defaultExt)
{
    FileDialog dialog(owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    const bool open = mode == kOpenDialog;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = nameFiltersFromPairs(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.first());
    }
    if (!initialDir.isEmpty())
        dialog.setDirectory(initialDir);
    if (!defaultExt.isEmpty())
        dialog.setDefaultSuffix(defaultExt);
    if (!initialFile.isEmpty())
        dialog.selectFile(initialFile);

    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return QString();
    return open ? files.first() : dialog.withDefaultSuffix(files.first());
}

std::optional<int32_t> ShowColorDialog(QWidget* owner, const QColor& initial)
{
    // The custom colours are not remembered from one call to the next.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(Qt::black));
    QColorDialog dialog(owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (initial.isValid())
        dialog.setCurrentColor(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return colorRef(dialog.selectedColor());
}

} // namespace plomet
