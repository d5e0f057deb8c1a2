// The program's main body: the application, its eight forms in their order, the message loop.

#include "platform/forms/Application.h"
#include "ui/ColorSettingsUnit.h"
#include "ui/LabelFontUnit.h"
#include "ui/MainUnit.h"
#include "ui/RadioSettingsUnit.h"
#include "ui/SetDataUnit.h"
#include "ui/SplitHistoryUnit.h"
#include "ui/TextSettingsUnit.h"
#include "upload/UploadSplitsUnit.h"

int ProgramMain() {
    try {
        Application.Initialize();
        Application.SetTitle("Lapwren");
        // The first form made is the main form.
        Application.CreateForm(MainForm);
        Application.CreateForm(SetDataForm);
        Application.CreateForm(LabelFontForm);
        Application.CreateForm(TextSettingsForm);
        Application.CreateForm(ColorSettingsForm);
        Application.CreateForm(SplitHistoryForm);
        Application.CreateForm(UploadSplitsForm);
        Application.CreateForm(RadioSettingsForm);
        Application.Run();
    } catch (const Exception& error) {
        Application.ShowException(error);
    } catch (...) {
        // Anything else is shown as an exception without a message.
        Application.ShowException(Exception(""));
    }
    return 0;
}

int main() {
    return ProgramMain();
}
