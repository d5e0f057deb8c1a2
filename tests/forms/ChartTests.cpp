// The history chart: the series' points and labels, the value axis taking in every point, and
// labels standing on end under the plot.
#include "platform/forms/Chart.h"

#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace {

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override {
        chart_ = std::make_unique<TChart>(nullptr);
        chart_->SetBounds(0, 0, 476, 433);
        series_ = new TLineSeries(chart_.get());
        series_->SetParentChart(chart_.get());
    }

    QValueAxis* LeftAxis() {
        auto* view = static_cast<QChartView*>(chart_->Widget());
        return static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).first());
    }

    // The box around the pixels that are not white inside the rectangle, empty when none.
    static QRect InkBox(const QImage& image, const QRect& area) {
        QRect box;
        const QRect r = area.intersected(image.rect());
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (qRed(p) < 160 && qGreen(p) < 160 && qBlue(p) < 160) {
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        return box;
    }

    std::unique_ptr<TChart> chart_;
    TLineSeries* series_ = nullptr;
};

TEST_F(ChartTest, KeepsPointsWithTheirLabelsInTheOrderAdded) {
    EXPECT_EQ(series_->Add(12.5, "2024-05-01 20:15"), 0);
    EXPECT_EQ(series_->Add(11.25, ""), 1);
    EXPECT_EQ(series_->Add(13.0, "2024-05-01 20:15"), 2); // the same label twice is fine
    ASSERT_EQ(series_->Count(), 3);
    EXPECT_DOUBLE_EQ(series_->YValue(1), 11.25);
    EXPECT_EQ(series_->XLabel(2), "2024-05-01 20:15");
    EXPECT_EQ(series_->XLabel(3), "");
    EXPECT_DOUBLE_EQ(series_->YValue(-1), 0.0);
    series_->Clear();
    EXPECT_EQ(series_->Count(), 0);
}

TEST_F(ChartTest, ScalesTheLeftAxisToTakeInEveryValue) {
    series_->Add(95.5, "a");
    series_->Add(0.0, "");
    series_->Add(130.25, "b");
    chart_->Render();
    EXPECT_LE(LeftAxis()->min(), 0.0);
    EXPECT_GE(LeftAxis()->max(), 130.25);
    // Two zero points (an empty history) still give an axis with a span.
    series_->Clear();
    series_->Add(0.0, "");
    series_->Add(0.0, "");
    chart_->Render();
    EXPECT_LT(LeftAxis()->min(), LeftAxis()->max());
}

TEST_F(ChartTest, DrawsTheLineInTheSeriesColourInsideThePlot) {
    series_->Add(10.0, "x");
    series_->Add(20.0, "y");
    series_->Add(15.0, "z");
    const QImage image = chart_->Render();
    ASSERT_EQ(image.size(), QSize(476, 433));
    const QRect plot = chart_->PlotArea();
    int red = 0;
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
        for (int x = plot.left(); x <= plot.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            red += qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
        }
    }
    EXPECT_GT(red, plot.width() / 2); // a line across the plot
}

TEST_F(ChartTest, StandsTheLabelsOnEndUnderThePlot) {
    series_->Add(1.0, "2024-05-01 20:15");
    series_->Add(2.0, "");
    const QImage image = chart_->Render();
    const QRect plot = chart_->PlotArea();
    const QRect under(plot.left() - 20, plot.bottom() + 2, 40, image.height() - plot.bottom() - 2);
    const QRect ink = InkBox(image, under);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 3 * ink.width()); // a long text turned 90 degrees
    EXPECT_LE(ink.bottom(), image.height() - 1);
    // The empty label of the second point draws nothing.
    EXPECT_TRUE(InkBox(image, QRect(plot.right() - 10, plot.bottom() + 4, 20, 200)).isEmpty());
}

TEST_F(ChartTest, LeavesOutLabelsThatWouldOverlap) {
    for (int i = 0; i < 200; ++i) {
        series_->Add(i % 7, "2024-05-01");
    }
    const QImage image = chart_->Render();
    const QRect plot = chart_->PlotArea();
    // Columns with ink under the plot group into one cluster per label drawn: separate
    // labels, not one smear of 200.
    int clusters = 0;
    bool inInk = false;
    for (int x = plot.left() - 10; x <= plot.right() + 10; ++x) {
        const bool ink = !InkBox(image, QRect(x, plot.bottom() + 4, 1, 60)).isEmpty();
        clusters += ink && !inInk;
        inInk = ink;
    }
    EXPECT_GT(clusters, 10);
}

TEST_F(ChartTest, ASeriesOutlivingItsChartOrGoneBeforeItIsSafe) {
    auto* other = new TLineSeries(nullptr);
    other->SetParentChart(chart_.get()); // takes the chart's place
    EXPECT_EQ(chart_->Series(), other);
    EXPECT_EQ(series_->ParentChart(), nullptr);
    delete other;
    EXPECT_EQ(chart_->Series(), nullptr);
    chart_->Render();

    auto* lone = new TLineSeries(nullptr);
    lone->SetParentChart(chart_.get());
    chart_.reset(); // also deletes series_, which it owns
    EXPECT_EQ(lone->ParentChart(), nullptr);
    lone->Add(1.0, "after");
    delete lone;
}

} // namespace
