// Forms on a real X server without a window manager, where the native window, not Qt's record of
// it, is what the user sees and where nobody but the program hands out the keyboard. Each test
// runs again in a child process on the xcb platform and a private Xvfb; it skips where there is
// no Xvfb.
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include "forms/support/ChildProcess.h"
#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "platform/forms/Menus.h"
#include "platform/forms/OpenDialog.h"
#include "platform/forms/RadioButton.h"

// Readable geometry in failure messages.
void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << "x" << size.height();
}
void PrintTo(const QPoint& point, std::ostream* out) {
    *out << "(" << point.x() << ", " << point.y() << ")";
}
void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.width() << "x" << rect.height() << " at (" << rect.x() << ", " << rect.y() << ")";
}

namespace {

using namespace testsupport;

bool InXServerChild() {
    return InChildRun() && QGuiApplication::platformName() == QLatin1String("xcb");
}

// The test process's part: the same test on a private X server, judged by the child's exit.
void RunOnPrivateXServer() {
    PrivateXServer server;
    if (!server.Started())
        GTEST_SKIP() << "no Xvfb to run the test on";
    std::vector<std::pair<std::string, std::string>> environment = {{"QT_QPA_PLATFORM", "xcb"},
                                                                    {"DISPLAY", server.Display()}};
    // The keyboard library under Qt's xcb platform hands strndup a buffer longer than the copy and
    // without a terminator, which is allowed but fails AddressSanitizer's strict string check.
    if (const char* asan = std::getenv("ASAN_OPTIONS"))
        environment.emplace_back("ASAN_OPTIONS", std::string(asan) + ":strict_string_checks=0");
    const ChildResult child = RunThisTestInChild(environment, 60000);
    if (!ChildRan(child) && child.output.find("Could not load the Qt platform plugin") != std::string::npos)
        GTEST_SKIP() << "Qt has no xcb platform here";
    EXPECT_TRUE(ChildRan(child)) << child.output;
    EXPECT_FALSE(child.timedOut) << child.output;
    EXPECT_EQ(child.signal, 0) << child.output;
    EXPECT_EQ(child.exitCode, 0) << child.output;
}

// Runs the events until condition holds or timeoutMs have passed.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Everything the X server has to say about the requests made so far has arrived.
void Settle() {
    QGuiApplication::sync();
}

QWindow* WindowOf(const TForm& form) {
    return form.Widget()->windowHandle();
}

constexpr TColor kClientColor = 0x0000FF; // pure red
const QColor kClientQColor(255, 0, 0);

// The size of the red area whose top-left corner is the form's client origin, read back from the
// X server's screen.
QSize PaintedClientSize(TForm& form) {
    const QPoint origin = form.ClientWidget()->mapToGlobal(QPoint(0, 0));
    const QImage screen =
        QGuiApplication::primaryScreen()
            ->grabWindow(0, origin.x(), origin.y(), form.ClientWidth() + 40, form.ClientHeight() + 40)
            .toImage();
    int width = 0;
    while (width < screen.width() && QColor(screen.pixel(width, 2)) == kClientQColor)
        ++width;
    int height = 0;
    while (height < screen.height() && QColor(screen.pixel(2, height)) == kClientQColor)
        ++height;
    return QSize(width, height);
}

struct SizeRow {
    const char* name;
    std::function<void(TForm&)> design;
    int clientWidth;
    int clientHeight;
};

} // namespace

// Forms are made at start-up and shown much later, so the X server's reports about the window it
// made for a form arrive between the sizing and the showing.
TEST(X11Windows, a_form_sized_before_it_is_shown_opens_at_its_own_size) {
    if (!InXServerChild()) {
        RunOnPrivateXServer();
        return;
    }
    MarkChildRan();
    const SizeRow rows[] = {
        {"borderless_dialog",
         [](TForm& form) {
             form.SetBorderStyle(bsNone);
             form.SetClientWidth(217);
             form.SetClientHeight(73);
             form.SetBorderIcons(0);
         },
         217, 73},
        // No window manager, so no frame: the outer size is the client size.
        {"sizeable_tool_window_sized_by_its_outer_size",
         [](TForm& form) {
             form.SetBorderStyle(bsSizeToolWin);
             form.SetBorderIcons(biSystemMenu);
             form.SetWidth(500);
             form.SetHeight(500);
         },
         500, 500},
        {"single_border_window_with_a_menu_bar",
         [](TForm& form) {
             form.SetBorderStyle(bsSingle);
             form.SetBorderIcons(0);
             auto* menu = new TMainMenu(&form);
             auto* file = new TMenuItem(menu);
             file->SetCaption("&File");
             menu->Items()->Add(file);
             form.SetMenu(menu);
             form.SetClientWidth(177);
             form.SetClientHeight(79);
         },
         177, 79},
    };
    for (const SizeRow& row : rows) {
        SCOPED_TRACE(row.name);
        TForm form(nullptr);
        form.SetColor(kClientColor);
        row.design(form);
        Settle();
        // Placed and shown later, as a dialog over the element it edits.
        form.SetLeft(40);
        form.SetTop(30);
        form.Show();
        ASSERT_TRUE(WaitFor([&] { return WindowOf(form)->isExposed(); }));
        Settle();
        EXPECT_EQ(form.ClientWidth(), row.clientWidth);
        EXPECT_EQ(form.ClientHeight(), row.clientHeight);
        EXPECT_EQ(WindowOf(form)->position(), QPoint(40, 30));
        EXPECT_EQ(WindowOf(form)->size(), QSize(form.Width(), form.Height()));
        QSize painted;
        WaitFor([&] {
            painted = PaintedClientSize(form);
            return painted == QSize(row.clientWidth, row.clientHeight);
        });
        EXPECT_EQ(painted, QSize(row.clientWidth, row.clientHeight));
        form.Hide();
    }
}

TEST(X11Windows, a_hidden_form_resized_and_moved_again_opens_where_and_as_large_as_it_was_put) {
    if (!InXServerChild()) {
        RunOnPrivateXServer();
        return;
    }
    MarkChildRan();
    TForm form(nullptr);
    form.SetColor(kClientColor);
    form.SetBorderStyle(bsNone);
    form.SetClientWidth(142);
    form.SetClientHeight(73);
    form.Show();
    ASSERT_TRUE(WaitFor([&] { return WindowOf(form)->isExposed(); }));
    form.Hide();
    Settle();
    // Several changes while hidden, the X server's answers to the first ones still on their way.
    form.SetClientWidth(300);
    form.SetLeft(15);
    form.SetTop(25);
    form.SetClientWidth(160);
    form.SetClientHeight(90);
    Settle();
    EXPECT_EQ(form.Width(), 160);
    EXPECT_EQ(form.Height(), 90);
    form.Show();
    ASSERT_TRUE(WaitFor([&] { return WindowOf(form)->isExposed(); }));
    Settle();
    EXPECT_EQ(WindowOf(form)->geometry(), QRect(15, 25, 160, 90));
    QSize painted;
    WaitFor([&] {
        painted = PaintedClientSize(form);
        return painted == QSize(160, 90);
    });
    EXPECT_EQ(painted, QSize(160, 90));
}

namespace {

struct FocusRow {
    const char* name;
    // Opens a dialog of the program over the main form and returns once it has closed again.
    std::function<void(TForm& main)> openAndClose;
};

constexpr int kDialogPatienceMs = 5000;

// Closes the program's modal dialog (a Qt dialog) once it has the keyboard.
void CloseModalWidgetOnceFocused() {
    auto* poll = new QTimer(qApp);
    QElapsedTimer elapsed;
    elapsed.start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, elapsed] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        const bool focused = dialog->windowHandle() == QGuiApplication::focusWindow();
        if (!focused && elapsed.elapsed() < kDialogPatienceMs)
            return;
        EXPECT_TRUE(focused) << "the dialog never got the keyboard";
        dialog->close();
        poll->deleteLater();
    });
    poll->start(20);
}

} // namespace

TEST(X11Windows, the_shown_form_has_the_keyboard_and_gets_it_back_when_a_dialog_closes) {
    if (!InXServerChild()) {
        RunOnPrivateXServer();
        return;
    }
    MarkChildRan();
    const FocusRow rows[] = {
        {"modal_form",
         [](TForm&) {
             TForm dialog(nullptr);
             dialog.SetBorderStyle(bsNone);
             dialog.SetClientWidth(100);
             dialog.SetClientHeight(40);
             QTimer poll;
             QElapsedTimer elapsed;
             elapsed.start();
             QObject::connect(&poll, &QTimer::timeout, [&] {
                 if (QGuiApplication::focusWindow() == WindowOf(dialog)) {
                     dialog.SetModalResult(mrOk);
                 } else if (elapsed.elapsed() > kDialogPatienceMs) {
                     ADD_FAILURE() << "the modal form never got the keyboard";
                     dialog.SetModalResult(mrCancel);
                 }
             });
             poll.start(20);
             EXPECT_EQ(dialog.ShowModal(), mrOk);
         }},
        {"message_box",
         [](TForm&) {
             CloseModalWidgetOnceFocused();
             Application.MessageBox("Saved.", "Lapwren", MB_OK);
         }},
        {"open_file_dialog",
         [](TForm& main) {
             auto* dialog = new TOpenDialog(&main);
             CloseModalWidgetOnceFocused();
             EXPECT_FALSE(dialog->Execute());
             delete dialog;
         }},
    };
    TForm main(nullptr);
    main.SetBorderStyle(bsSingle);
    main.SetClientWidth(177);
    main.SetClientHeight(79);
    main.Show();
    // Keys go where the X server's focus is; without a window manager only the program sets it.
    EXPECT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == WindowOf(main); }))
        << "the main form never got the keyboard";
    for (const FocusRow& row : rows) {
        SCOPED_TRACE(row.name);
        row.openAndClose(main);
        EXPECT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == WindowOf(main); }))
            << "the keyboard did not come back to the main form";
    }
}

// The dialogs are made once and shown again for every use, and the keyboard comes back to the
// control that had it last time, on the real server as the window is activated again. On a
// choice whose button has changed meanwhile, it goes on to the newly checked button.
TEST(X11Windows, a_choice_shown_again_has_the_keyboard_at_its_checked_button) {
    if (!InXServerChild()) {
        RunOnPrivateXServer();
        return;
    }
    MarkChildRan();
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetClientWidth(200);
    form.SetClientHeight(60);
    std::vector<TRadioButton*> buttons;
    for (int i = 0; i < 3; ++i) {
        buttons.push_back(new TRadioButton(&form));
        buttons.back()->SetParent(&form);
        buttons.back()->SetBounds(2, 20 * i + 4, 150, 17);
        buttons.back()->SetTabOrder(i);
    }
    buttons[2]->SetChecked(true);
    form.Show();
    ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == buttons[2]->Widget(); }))
        << "the choice did not open on its checked button";
    form.Hide();
    Settle();
    buttons[0]->SetChecked(true);
    form.Show();
    // Keys go to the focused widget of the window that has the X server's focus.
    EXPECT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == WindowOf(form); }));
    EXPECT_EQ(form.Widget()->window()->focusWidget(), buttons[0]->Widget())
        << "the keyboard stayed on a button that is no longer the choice";
}
