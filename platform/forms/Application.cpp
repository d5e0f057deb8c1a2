#include "platform/forms/Application.h"

#include <climits>
#include <exception>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <unistd.h>

#include "platform/forms/ByteText.h"
#include "platform/forms/Form.h"
#include "platform/forms/TestSeams.h"
#include "platform/runtime/ProgramPath.h"

TApplication Application;

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    // This runs after main has returned, when Qt's own globals are gone already: tearing Qt down
    // now crashes. Run and the tests shut down in time; whatever is left (a program that ended
    // before Run) is left to the end of the process.
    if (qtApplication_ != nullptr) {
        AbandonComponents();
        static_cast<void>(qtApplication_.release());
    }
}

void TApplication::Initialize() {
    EnsureQtApplication();
    terminated_ = false;
}

void TApplication::EnsureQtApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "lapwren";
        static char* argv[] = {name, nullptr};
        qtApplication_ = std::make_unique<QApplication>(argc, argv);
    }
    // Closing a window ends nothing by itself: the main form's close ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TApplication::Shutdown() {
    DestroyComponents();
    mainForm_ = nullptr;
    activeForm_ = nullptr;
    qtApplication_.reset();
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::setApplicationName(ToDisplayText(title));
}

void TApplication::Run() {
    terminated_ = false;
    if (mainForm_ != nullptr)
        mainForm_->Show();
    if (!terminated_ && QCoreApplication::instance() != nullptr)
        QCoreApplication::exec();
    // Qt goes while main still runs (see the destructor).
    Shutdown();
}

void TApplication::Terminate() {
    terminated_ = true;
    // exit, not quit: quit would first ask every window to close.
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() {
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::processEvents();
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, int flags) {
    const MessageBoxHandler& handler = CurrentMessageBoxHandler();
    if (handler)
        return handler(text, caption, flags);
    // A box after Run ended (an exception on the way out) needs Qt again.
    EnsureQtApplication();
    TForm* active = activeForm_;
    {
        QMessageBox box;
        box.setWindowTitle(ToDisplayText(caption));
        box.setText(ToDisplayText(text));
        box.setTextFormat(Qt::PlainText);
        box.setIcon((flags & MB_ICONSTOP) != 0 ? QMessageBox::Critical : QMessageBox::NoIcon);
        box.addButton(QMessageBox::Ok);
        box.exec();
    }
    RefocusForm(active);
    return IDOK;
}

void TApplication::ShowException(const std::exception& error) {
    // The message ends as a sentence: a full stop is added unless it already ends in one, or in
    // a question or exclamation mark.
    std::string message = error.what();
    if (!message.empty() && message.back() != '.' && message.back() != '?' && message.back() != '!')
        message += '.';
    MessageBox(message, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(Exception(""));
    }
}

std::string TApplication::ExeName() const {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string name = length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string("lapwren");
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    return rt::ProgramDirectory() + name;
}

void TApplication::RefocusForm(TForm* form) {
    // The form may have gone while the dialog was open.
    if (form != nullptr && form == activeForm_)
        form->TakeFocus();
}

void TApplication::FormDestroyed(TForm* form) {
    if (mainForm_ == form)
        mainForm_ = nullptr;
    if (activeForm_ == form)
        activeForm_ = nullptr;
}
