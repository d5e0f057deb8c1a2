#pragma once
// A line chart over Qt Charts: one line series of values, each with a text label.
//
// The chart is flat and plain: no title, no legend, no bevel, a white back wall. The left axis
// shows the values, scaled to take in every point; the bottom axis shows the points' labels
// turned 90 degrees (reading upwards), skipping a label that would overlap the one drawn before
// it. Points are placed left to right in the order they were added, evenly spaced.
//
// It draws and scales nothing else: no marks, no zoom, no dates on the bottom axis.

#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/forms/Control.h"

class TChart;
class ChartView;
class QPainter;

class TLineSeries : public TComponent {
public:
    explicit TLineSeries(TComponent* owner);
    ~TLineSeries() override;

    // The chart that shows the series (a chart shows one series); null for none.
    TChart* ParentChart() const { return chart_; }
    void SetParentChart(TChart* chart);

    TColor SeriesColor() const { return color_; }
    void SetSeriesColor(TColor color);

    void Clear();
    // Adds a point at the right end; returns its index.
    int Add(double value, const std::string& label);
    int Count() const { return static_cast<int>(values_.size()); }
    double YValue(int index) const;
    std::string XLabel(int index) const;

private:
    friend class TChart;
    void Changed();

    TChart* chart_ = nullptr;
    TColor color_ = clRed;
    std::vector<double> values_;
    std::vector<std::string> labels_;
};

class TChart : public TControl {
public:
    explicit TChart(TComponent* owner);
    ~TChart() override;

    TLineSeries* Series() const { return series_; }

    // The chart as it looks now, at its size (for tests and pictures).
    QImage Render();

    // The rectangle in which the points are plotted, in the control's pixels.
    QRect PlotArea();

private:
    friend class TLineSeries;
    friend class ChartView;
    void Attach(TLineSeries* series);
    void Detach(TLineSeries* series);
    // The series changed: the Qt chart follows before it is next drawn.
    void ScheduleSync();
    void Sync();
    void DrawLabels(QPainter* painter);

    struct Impl;
    std::unique_ptr<Impl> d_;
    TLineSeries* series_ = nullptr;
};
