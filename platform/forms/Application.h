#pragma once
// The application object: creates the Qt application, owns the forms, runs the message loop,
// shows message boxes and the exception box.
//
// The first form made with CreateForm is the main form; closing it ends Run. Message boxes go
// through the seam of TestSeams.h when a test installed one.

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/forms/Component.h"

class QApplication;
class TForm;

// The exception class of the program: a message.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Message box flags and answers (only the OK button is used).
constexpr int MB_OK = 0x0;
constexpr int MB_ICONSTOP = 0x10;
constexpr int IDOK = 1;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Creates the Qt application when none exists yet.
    void Initialize();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    // Creates a form owned by the application and stores it in reference; the first one made
    // becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        reference = new T(this);
        if (mainForm_ == nullptr)
            mainForm_ = reference;
    }
    TForm* MainForm() const { return mainForm_; }

    // Shows the main form and runs the message loop until the main form closes (or Terminate);
    // then shuts down (Shutdown), so that nothing of Qt is left for after main.
    void Run();
    void Terminate();
    // Frees the forms and the Qt application this object made. Call it before main returns
    // (the end of Run does): Qt cannot be torn down after main.
    void Shutdown();
    bool Terminated() const { return terminated_; }
    // Runs the events that are waiting, then returns.
    void ProcessMessages();

    // A message box with the text, the caption and an OK button; answers IDOK.
    int MessageBox(const std::string& text, const std::string& caption, int flags);
    // The exception box: the exception's message, the application's title as caption.
    void ShowException(const std::exception& error);
    // Shows the exception that is being handled (call from a catch block).
    void HandleException();

    // The path of the running program.
    std::string ExeName() const;

    // The form that is active in the program, null when none. Kept by the forms.
    TForm* ActiveForm() const { return activeForm_; }
    void SetActiveForm(TForm* form) { activeForm_ = form; }
    // A form that goes away stops being the main or the active form.
    void FormDestroyed(TForm* form);
    // After a dialog of the layer closed: gives the keyboard back to form if it is still the
    // active form.
    void RefocusForm(TForm* form);

private:
    void EnsureQtApplication();

    std::unique_ptr<QApplication> qtApplication_;
    std::string title_;
    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication Application;
