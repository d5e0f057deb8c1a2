#pragma once
// TSplitHistoryForm: the window that plots a split's (or the whole run's) time over the logged
// runs of the open split file, with the reset statistics under the chart. The main window loads
// the run log, fills the choices, asks it to refresh and shows it modally. The form reads the run
// history, the row count and the time format of the main window's split data; it keeps no data of
// its own and never reads or writes a file.

#include "platform/forms/Form.h"

class TLabel;
class TComboBox;
class TEdit;
class TChart;
class TLineSeries;

class TSplitHistoryForm : public TForm {
public:
    explicit TSplitHistoryForm(TComponent* owner);

    TLabel* Label2 = nullptr;
    TComboBox* SplitComboBox = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* NumberEdit = nullptr;
    TComboBox* RangeComboBox = nullptr;
    TChart* Chart = nullptr; // made by the first RefreshChart
    TLineSeries* Series1 = nullptr;
    TLabel* ResetStatsLabel = nullptr;

    // Recomputes the plotted points and the statistics line from the chosen split and range.
    void RefreshChart();

    void FormActivate(TObject* Sender);
    void FormKeyPress(TObject* Sender, char& Key);
    void SplitComboBoxChange(TObject* Sender);
    void NumberEditChange(TObject* Sender);
    void RangeComboBoxChange(TObject* Sender);

private:
    void CreateChart();
};

extern TSplitHistoryForm* SplitHistoryForm;
