// Entry point of the window tests: a headless application object, then every GoogleTest test.
#include <cstdlib>

#include <QString>
#include <QtGlobal>
#include <gtest/gtest.h>

#include "platform/forms/Application.h"

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns about every window feature it lacks (raise, size hints); those
// lines say nothing about the program.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    defaultHandler = qInstallMessageHandler(QuietHandler);
    ::testing::InitGoogleTest(&argc, argv);
    Application.Initialize();
    const int result = RUN_ALL_TESTS();
    // The forms go before the Qt application, while Qt is still whole.
    Application.Shutdown();
    return result;
}
