#include "platform/forms/OpenDialog.h"

#include <QFile>
#include <QFileDialog>

#include "platform/forms/Application.h"
#include "platform/forms/ByteText.h"
#include "platform/forms/Form.h"
#include "platform/forms/TestSeams.h"

namespace {

// "Text files|*.txt|All|*.*" to Qt's "Text files (*.txt)" entries.
QStringList NameFilters(const std::string& filter) {
    QStringList parts = ToDisplayText(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") +
                       parts[i + 1].replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    return filters;
}

} // namespace

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::Execute() {
    const OpenDialogHandler& handler = CurrentOpenDialogHandler();
    if (handler) {
        std::optional<std::string> chosen = handler(*this);
        if (!chosen)
            return false;
        fileName_ = *chosen;
        return true;
    }
    TForm* active = Application.ActiveForm();
    QString chosen;
    {
        QFileDialog dialog;
        dialog.setWindowTitle(ToDisplayText(title_));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (!initialDir_.empty())
            dialog.setDirectory(QFile::decodeName(initialDir_.c_str()));
        const QStringList filters = NameFilters(filter_);
        if (!filters.isEmpty())
            dialog.setNameFilters(filters);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    Application.RefocusForm(active);
    if (chosen.isEmpty())
        return false;
    // File names are the system's bytes, not display text.
    fileName_ = QFile::encodeName(chosen).toStdString();
    return true;
}
