#include "app/gui/KXFilePanels.h"

#include <QFileDialog>

namespace {

KXFilePanels::Override*& installedOverride() {
    static KXFilePanels::Override* override = nullptr;
    return override;
}

QFileDialog* newPanel(QWidget* window, const QString& message, const QString& prompt) {
    auto* panel = new QFileDialog(window);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setWindowTitle(message);
    panel->setLabelText(QFileDialog::Accept, prompt);
    return panel;
}

}  // namespace

void KXFilePanels::setOverride(Override* override) { installedOverride() = override; }

void KXFilePanels::chooseFiles(QWidget* window, const QString& message, const QString& prompt, FilesChosen done) {
    if (Override* override = installedOverride()) return override->chooseFiles(message, prompt, std::move(done));
    QFileDialog* panel = newPanel(window, message, prompt);
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setNameFilters({QObject::tr("PDF documents (*.pdf *.PDF)"), QObject::tr("All files (*)")});
    QObject::connect(panel, &QFileDialog::finished, panel, [panel, done = std::move(done)](int result) {
        done(result == QDialog::Accepted ? panel->selectedFiles() : QStringList());
    });
    panel->open();
}

void KXFilePanels::chooseFolder(QWidget* window, const QString& message, const QString& prompt,
                                const QString& startFolder, FolderChosen done) {
    if (Override* override = installedOverride())
        return override->chooseFolder(message, prompt, startFolder, std::move(done));
    QFileDialog* panel = newPanel(window, message, prompt);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    if (!startFolder.isEmpty()) panel->setDirectory(startFolder);
    QObject::connect(panel, &QFileDialog::finished, panel, [panel, done = std::move(done)](int result) {
        const QStringList chosen = panel->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty()) done(chosen.first());
        else done(std::nullopt);
    });
    panel->open();
}
