#include "player/ProjectorMenu.h"

#include "player/ProjectorSetupDialog.h"
#include "toolkit/Dialogs.h"
#include "toolkit/MessageBoxes.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace player {

namespace {

const QString kProjectorKey = QStringLiteral("projectorFile");
const QString kFilter = QStringLiteral("Projector files (*.json)");

QSettings Settings()
{
    return QSettings(QStringLiteral("Lumivex"), QStringLiteral("lumivex-player"));
}

std::string NativePath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

ProjectorMenu::ProjectorMenu(QMenu *menu, QWidget *window) : QObject(window), window_(window)
{
    QMenu *sub = menu->addMenu(QStringLiteral("P&rojector"));
    current_ = sub->addAction(QString());
    current_->setEnabled(false);
    sub->addSeparator();
    sub->addAction(QStringLiteral("&Choose file..."), this, &ProjectorMenu::ChooseFile);
    edit_ = sub->addAction(QStringLiteral("&Setup..."), this, &ProjectorMenu::EditSetup);
    sub->addAction(QStringLiteral("&New file..."), this, &ProjectorMenu::NewFile);
    none_ = sub->addAction(QStringLiteral("N&o projector"), this, &ProjectorMenu::Clear);
    UpdateActions();
}

void ProjectorMenu::Restore()
{
    const QString kept = Settings().value(kProjectorKey).toString();
    if (kept.isEmpty())
        return;
    const auto loaded = projector::LoadSetup(NativePath(kept));
    if (loaded)
        Take(*loaded, kept);
    else
        emit Told(QStringLiteral("no projector: %1").arg(QString::fromStdString(loaded.message())));
}

bool ProjectorMenu::Choose(const QString &path)
{
    const auto loaded = projector::LoadSetup(NativePath(path));
    if (!loaded) {
        toolkit::ShowErrorBox(QString::fromStdString(loaded.message()));
        return false;
    }
    Take(*loaded, path);
    Settings().setValue(kProjectorKey, QFileInfo(path).absoluteFilePath());
    if (dialog_)
        dialog_->SetSetup(*setup_, fileName_);
    return true;
}

void ProjectorMenu::Take(const projector::Setup &setup, const QString &path)
{
    setup_ = setup;
    fileName_ = path;
    UpdateActions();
    emit Changed(setup_);
}

void ProjectorMenu::Clear()
{
    setup_.reset();
    fileName_.clear();
    Settings().remove(kProjectorKey);
    if (dialog_)
        dialog_->hide();
    UpdateActions();
    emit Changed(setup_);
}

void ProjectorMenu::UpdateActions()
{
    current_->setText(setup_ ? QStringLiteral("Projector: %1").arg(QFileInfo(fileName_).fileName())
                             : QStringLiteral("(none chosen)"));
    edit_->setEnabled(setup_.has_value());
    none_->setEnabled(setup_.has_value());
}

void ProjectorMenu::SetFrame(FramePoints points)
{
    frame_ = std::move(points);
    if (dialog_ && dialog_->isVisible())
        dialog_->SetFrame(frame_);
}

ProjectorSetupDialog *ProjectorMenu::Dialog()
{
    if (dialog_)
        return dialog_;
    dialog_ = new ProjectorSetupDialog(window_);
    // Edits reach the output at once; the file changes only on Save.
    connect(dialog_, &ProjectorSetupDialog::SetupChanged, this, [this](const projector::Setup &setup) {
        setup_ = setup;
        emit Changed(setup_);
    });
    return dialog_;
}

void ProjectorMenu::ChooseFile()
{
    toolkit::TOpenDialog open;
    open.SetTitle(QStringLiteral("Choose a projector file"));
    open.SetFilter(kFilter);
    if (open.Execute(window_) && Choose(open.FileName()))
        EditSetup();
}

void ProjectorMenu::EditSetup()
{
    if (!setup_)
        return;
    ProjectorSetupDialog *dialog = Dialog();
    dialog->SetSetup(*setup_, fileName_);
    dialog->SetFrame(frame_);
    dialog->show();
    dialog->raise();
}

void ProjectorMenu::NewFile()
{
    toolkit::TSaveDialog save;
    save.SetTitle(QStringLiteral("New projector file"));
    save.SetFilter(kFilter);
    save.SetDefaultExt(QStringLiteral("json"));
    save.SetFileName(QStringLiteral("projector.json"));
    save.SetOverwritePrompt(true);
    if (!save.Execute(window_))
        return;
    const QString path = save.FileName();
    const auto saved = projector::SaveSetup(projector::Setup{}, NativePath(path), NativePath(path),
                                            rtl::TSaveFileStream::TExisting::Replace);
    if (!saved) {
        toolkit::ShowErrorBox(QString::fromStdString(saved.message()));
        return;
    }
    if (Choose(path))
        EditSetup();
}

} // namespace player
