#include "platform/forms/TestSeams.h"

#include <QEventLoop>
#include <QTimer>

namespace {

ModalHandler& ModalSlot() {
    static ModalHandler handler;
    return handler;
}

MessageBoxHandler& MessageBoxSlot() {
    static MessageBoxHandler handler;
    return handler;
}

OpenDialogHandler& OpenDialogSlot() {
    static OpenDialogHandler handler;
    return handler;
}

} // namespace

void SetModalHandler(ModalHandler handler) {
    ModalSlot() = std::move(handler);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxSlot() = std::move(handler);
}

void SetOpenDialogHandler(OpenDialogHandler handler) {
    OpenDialogSlot() = std::move(handler);
}

const ModalHandler& CurrentModalHandler() {
    return ModalSlot();
}

const MessageBoxHandler& CurrentMessageBoxHandler() {
    return MessageBoxSlot();
}

const OpenDialogHandler& CurrentOpenDialogHandler() {
    return OpenDialogSlot();
}

bool WaitForModalClose(TForm& form, int timeoutMs) {
    if (form.ModalResult() != mrNone)
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (form.ModalResult() != mrNone)
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(2);
    deadline.start(timeoutMs);
    loop.exec();
    return form.ModalResult() != mrNone;
}

ScopedModalHandler::ScopedModalHandler(ModalHandler handler) : previous_(ModalSlot()) {
    SetModalHandler(std::move(handler));
}

ScopedModalHandler::~ScopedModalHandler() {
    SetModalHandler(std::move(previous_));
}

ScopedMessageBoxRecorder::ScopedMessageBoxRecorder() : previous_(MessageBoxSlot()) {
    SetMessageBoxHandler([this](const std::string& text, const std::string& caption, int flags) {
        messages_.push_back(Message{text, caption, flags});
        return IDOK;
    });
}

ScopedMessageBoxRecorder::~ScopedMessageBoxRecorder() {
    SetMessageBoxHandler(std::move(previous_));
}

ScopedOpenDialogHandler::ScopedOpenDialogHandler(OpenDialogHandler handler) : previous_(OpenDialogSlot()) {
    SetOpenDialogHandler(std::move(handler));
}

ScopedOpenDialogHandler::~ScopedOpenDialogHandler() {
    SetOpenDialogHandler(std::move(previous_));
}
