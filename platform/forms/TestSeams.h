#pragma once
// Seams through which tests answer what a person would: a modal form, a message box and the
// open-file dialog. Production code never installs them. Each Scoped... object installs its
// handler for its lifetime and puts the previous one back.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/Application.h"
#include "platform/forms/Form.h"

class TOpenDialog;

// Answers TForm::ShowModal. It runs while the form is shown and active (its OnActivate has run),
// may fill and click its controls or send it keys, and returns the modal result. If the form was
// not closed by then, it is closed as by the user (OnClose runs) with that result (mrCancel for
// 0).
using ModalHandler = std::function<TModalResult(TForm& form)>;
// Answers TApplication::MessageBox: gets the text, the caption and the flags, returns the answer.
using MessageBoxHandler = std::function<int(const std::string& text, const std::string& caption, int flags)>;
// Answers TOpenDialog::Execute: a file name, or nothing for a cancelled dialog.
using OpenDialogHandler = std::function<std::optional<std::string>(TOpenDialog& dialog)>;

void SetModalHandler(ModalHandler handler);
void SetMessageBoxHandler(MessageBoxHandler handler);
void SetOpenDialogHandler(OpenDialogHandler handler);
const ModalHandler& CurrentModalHandler();
const MessageBoxHandler& CurrentMessageBoxHandler();
const OpenDialogHandler& CurrentOpenDialogHandler();

// For a modal handler whose form closes itself (a timer or a reply ends it): runs the message
// loop until the form has a modal result or timeoutMs have passed; true when it closed.
bool WaitForModalClose(TForm& form, int timeoutMs);

class ScopedModalHandler {
public:
    explicit ScopedModalHandler(ModalHandler handler);
    ~ScopedModalHandler();
    ScopedModalHandler(const ScopedModalHandler&) = delete;
    ScopedModalHandler& operator=(const ScopedModalHandler&) = delete;

private:
    ModalHandler previous_;
};

// Records every message box and answers IDOK.
class ScopedMessageBoxRecorder {
public:
    struct Message {
        std::string text;
        std::string caption;
        int flags;
    };
    ScopedMessageBoxRecorder();
    ~ScopedMessageBoxRecorder();
    ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder&) = delete;
    ScopedMessageBoxRecorder& operator=(const ScopedMessageBoxRecorder&) = delete;

    const std::vector<Message>& Messages() const { return messages_; }

private:
    MessageBoxHandler previous_;
    std::vector<Message> messages_;
};

class ScopedOpenDialogHandler {
public:
    explicit ScopedOpenDialogHandler(OpenDialogHandler handler);
    ~ScopedOpenDialogHandler();
    ScopedOpenDialogHandler(const ScopedOpenDialogHandler&) = delete;
    ScopedOpenDialogHandler& operator=(const ScopedOpenDialogHandler&) = delete;

private:
    OpenDialogHandler previous_;
};
