#include "toolkit/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <utility>

namespace toolkit {

namespace {

TFileDialogHook &currentHook()
{
    static TFileDialogHook hook;
    return hook;
}

std::optional<QString> runQtDialog(QWidget *parent, const TFileDialogRequest &request)
{
    QFileDialog dialog(parent, request.title, request.initialDir, request.filter);
    if (request.kind == TDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    }
    // Qt adds the suffix to every typed name without one; opening must take
    // the file the user names, so only a save gets it.
    if (request.kind == TDialogKind::Save)
        dialog.setDefaultSuffix(request.defaultExt);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

TFileDialogHook SetFileDialogHook(TFileDialogHook hook)
{
    return std::exchange(currentHook(), std::move(hook));
}

bool TFileDialog::Execute(QWidget *parent)
{
    // Copy first: a hook may replace itself while it runs.
    const TFileDialogHook hook = currentHook();
    const std::optional<QString> chosen = hook ? hook(request_) : runQtDialog(parent, request_);
    if (!chosen || chosen->isEmpty())
        return false;
    const QFileInfo info(QDir(request_.initialDir.isEmpty() ? QDir::currentPath() : request_.initialDir),
                         *chosen);
    request_.fileName = info.absoluteFilePath();
    QDir::setCurrent(info.absolutePath());
    return true;
}

} // namespace toolkit
