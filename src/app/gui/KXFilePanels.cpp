#include "app/gui/KXFilePanels.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/jobs/KXLocalized.h"

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

QString KXFilePanels::nearestExistingFolder(const QString& folder) {
    QString path = QDir::cleanPath(folder);
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path) return {};
        path = parent;
    }
    return path;
}

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
    // A start folder that does not exist (a new account has no Documents folder) starts the panel at
    // the nearest folder above it, not wherever the program was started from.
    if (!startFolder.isEmpty()) panel->setDirectory(nearestExistingFolder(startFolder));
    QObject::connect(panel, &QFileDialog::finished, panel, [panel, done = std::move(done)](int result) {
        const QStringList chosen = panel->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty()) done(chosen.first());
        else done(std::nullopt);
    });
    panel->open();
}

void KXFilePanels::chooseNewFolder(QWidget* window, const QString& message, const QString& prompt,
                                   const QString& nameLabel, const QString& startFolder, const QString& proposedName,
                                   FolderChosen done) {
    if (Override* override = installedOverride())
        return override->chooseNewFolder(message, prompt, nameLabel, startFolder, proposedName, std::move(done));
    auto localized = [](const char* text) { return QString::fromStdString(kx_sharedLocalized(text)); };
    auto* panel = new QDialog(window);
    panel->setObjectName("panel_newOutputDirectory");
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setWindowTitle(message);
    panel->setMinimumWidth(460);
    auto* layout = new QVBoxLayout(panel);
    auto* title = new QLabel(message, panel);
    QFont bold = title->font();
    bold.setWeight(QFont::DemiBold);
    title->setFont(bold);
    title->setWordWrap(true);
    layout->addWidget(title);
    layout->addSpacing(6);

    auto* form = new QFormLayout;
    auto* name = new QLineEdit(proposedName, panel);
    name->setObjectName("tf_newOutputDirectory_name");
    name->selectAll();
    form->addRow(nameLabel, name);
    auto* whereRow = new QHBoxLayout;
    auto* where = new QLineEdit(QDir::cleanPath(startFolder), panel);
    where->setObjectName("tf_newOutputDirectory_location");
    where->setReadOnly(true);
    auto* browse = new QPushButton(localized("Browse"), panel);
    browse->setObjectName("btn_newOutputDirectory_browse");
    whereRow->addWidget(where, 1);
    whereRow->addWidget(browse);
    form->addRow(localized("In:"), whereRow);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(panel);
    buttons->addButton(localized("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("btn_newOutputDirectory_cancel");
    QPushButton* choose = buttons->addButton(prompt, QDialogButtonBox::AcceptRole);
    choose->setObjectName("btn_newOutputDirectory_choose");
    choose->setDefault(true);
    layout->addWidget(buttons);

    // A name is one path component.
    auto validate = [name, choose] {
        const QString text = name->text().trimmed();
        choose->setEnabled(!text.isEmpty() && text != "." && text != ".." && !text.contains('/'));
    };
    validate();
    QObject::connect(name, &QLineEdit::textChanged, panel, validate);
    QObject::connect(browse, &QPushButton::clicked, panel, [panel, where, prompt, localized] {
        chooseFolder(panel, localized("Choose where the output directory goes:"), prompt, where->text(),
                     [where](const std::optional<QString>& folder) {
                         if (folder) where->setText(QDir::cleanPath(*folder));
                     });
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, panel, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, panel, &QDialog::reject);
    QObject::connect(panel, &QDialog::finished, panel, [name, where, done = std::move(done)](int result) {
        if (result == QDialog::Accepted) done(QDir(where->text()).filePath(name->text().trimmed()));
        else done(std::nullopt);
    });
    panel->open();
    name->setFocus();
}
