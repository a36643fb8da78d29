// Open and save file dialogs. Accepting one makes the chosen file's folder
// the current directory, so callers keep only the bare file name. Tests
// answer the dialogs through a hook instead of showing them.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace toolkit {

enum class TDialogKind { Open, Save };

struct TFileDialogRequest {
    TDialogKind kind = TDialogKind::Open;
    QString title;
    QString initialDir;
    QString fileName;   // proposed name
    QString filter;     // Qt filter, "Name (*.ext)"
    QString defaultExt; // without the dot; added to a typed name without one when saving
    bool overwritePrompt = false;
};

// Returns the chosen path (absolute, or relative to initialDir), or nothing
// for Cancel.
using TFileDialogHook = std::function<std::optional<QString>(const TFileDialogRequest &)>;

// Installs a hook (an empty one restores the real dialogs) and returns the
// one it replaces.
TFileDialogHook SetFileDialogHook(TFileDialogHook hook);

class TFileDialog {
public:
    explicit TFileDialog(TDialogKind kind) { request_.kind = kind; }

    QString Title() const { return request_.title; }
    void SetTitle(const QString &title) { request_.title = title; }
    QString InitialDir() const { return request_.initialDir; }
    void SetInitialDir(const QString &dir) { request_.initialDir = dir; }
    QString Filter() const { return request_.filter; }
    void SetFilter(const QString &filter) { request_.filter = filter; }
    QString DefaultExt() const { return request_.defaultExt; }
    void SetDefaultExt(const QString &ext) { request_.defaultExt = ext; }
    bool OverwritePrompt() const { return request_.overwritePrompt; }
    void SetOverwritePrompt(bool prompt) { request_.overwritePrompt = prompt; }

    // Before Execute the proposed name; after an accepted one the chosen
    // file's absolute path.
    QString FileName() const { return request_.fileName; }
    void SetFileName(const QString &name) { request_.fileName = name; }

    // Runs the dialog; true when the user chose a file.
    bool Execute(QWidget *parent);

private:
    TFileDialogRequest request_;
};

class TOpenDialog : public TFileDialog {
public:
    TOpenDialog() : TFileDialog(TDialogKind::Open) {}
};

class TSaveDialog : public TFileDialog {
public:
    TSaveDialog() : TFileDialog(TDialogKind::Save) {}
};

} // namespace toolkit
