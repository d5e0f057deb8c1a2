#include "platform/forms/Chart.h"

#include <algorithm>

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPainter>
#include <QTimer>
#include <QValueAxis>

#include "platform/forms/ByteText.h"

// The Qt view of a chart; it draws the bottom labels itself, since Qt's category axes refuse
// labels that repeat (two runs of one day) and draw every label even where they overlap.
class ChartView : public QChartView {
public:
    ChartView(TChart* owner, QChart* chart) : QChartView(chart), owner_(owner) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        owner_->Sync();
        QChartView::paintEvent(event);
    }
    void drawForeground(QPainter* painter, const QRectF& rect) override {
        QChartView::drawForeground(painter, rect);
        owner_->DrawLabels(painter);
    }

private:
    TChart* owner_;
};

struct TChart::Impl {
    QChart* chart = nullptr;
    QLineSeries* line = nullptr;
    QValueAxis* axisX = nullptr;
    QValueAxis* axisY = nullptr;
    ChartView* view = nullptr;
    QTimer syncTimer;
    bool dirty = true;
};

namespace {
constexpr int kLabelGap = 4;
constexpr int kMargin = 6;
} // namespace

TLineSeries::TLineSeries(TComponent* owner) : TComponent(owner) {}

TLineSeries::~TLineSeries() {
    SetParentChart(nullptr);
}

void TLineSeries::SetParentChart(TChart* chart) {
    if (chart_ == chart) {
        return;
    }
    if (chart_) {
        chart_->Detach(this);
    }
    chart_ = chart;
    if (chart_) {
        chart_->Attach(this);
    }
}

void TLineSeries::SetSeriesColor(TColor color) {
    color_ = color;
    Changed();
}

void TLineSeries::Clear() {
    values_.clear();
    labels_.clear();
    Changed();
}

int TLineSeries::Add(double value, const std::string& label) {
    values_.push_back(value);
    labels_.push_back(label);
    Changed();
    return Count() - 1;
}

double TLineSeries::YValue(int index) const {
    return index >= 0 && index < Count() ? values_[size_t(index)] : 0.0;
}

std::string TLineSeries::XLabel(int index) const {
    return index >= 0 && index < Count() ? labels_[size_t(index)] : std::string();
}

void TLineSeries::Changed() {
    if (chart_) {
        chart_->ScheduleSync();
    }
}

TChart::TChart(TComponent* owner) : TControl(owner), d_(std::make_unique<Impl>()) {
    d_->chart = new QChart();
    d_->chart->legend()->hide();
    d_->chart->setTitle(QString());
    d_->chart->setBackgroundRoundness(0);
    d_->chart->setDropShadowEnabled(false);
    d_->chart->setBackgroundBrush(Qt::white);
    d_->chart->setPlotAreaBackgroundBrush(Qt::white);
    d_->chart->setPlotAreaBackgroundVisible(true);
    d_->chart->setAnimationOptions(QChart::NoAnimation);

    d_->line = new QLineSeries();
    d_->line->setPointsVisible(false);
    d_->chart->addSeries(d_->line);

    // The bottom axis only places the points; its labels are drawn by the view.
    d_->axisX = new QValueAxis();
    d_->axisX->setLabelsVisible(false);
    d_->axisX->setGridLineVisible(false);
    d_->axisX->setTickCount(2);
    d_->axisY = new QValueAxis();
    d_->chart->addAxis(d_->axisX, Qt::AlignBottom);
    d_->chart->addAxis(d_->axisY, Qt::AlignLeft);
    d_->line->attachAxis(d_->axisX);
    d_->line->attachAxis(d_->axisY);

    d_->view = new ChartView(this, d_->chart);
    d_->view->setRenderHint(QPainter::Antialiasing, false);
    d_->view->setFrameShape(QFrame::NoFrame);
    d_->view->setBackgroundBrush(Qt::white);
    if (d_->chart->layout()) {
        d_->chart->layout()->setContentsMargins(0, 0, 0, 0);
    }
    d_->syncTimer.setSingleShot(true);
    d_->syncTimer.setInterval(0);
    QObject::connect(&d_->syncTimer, &QTimer::timeout, [this] { Sync(); });
    SetWidget(d_->view);
    Sync();
}

TChart::~TChart() {
    if (series_) {
        series_->chart_ = nullptr;
    }
    d_->syncTimer.stop();
}

void TChart::Attach(TLineSeries* series) {
    if (series_ && series_ != series) {
        series_->chart_ = nullptr;
    }
    series_ = series;
    ScheduleSync();
}

void TChart::Detach(TLineSeries* series) {
    if (series_ == series) {
        series_ = nullptr;
        ScheduleSync();
    }
}

void TChart::ScheduleSync() {
    d_->dirty = true;
    if (!d_->syncTimer.isActive()) {
        d_->syncTimer.start();
    }
}

void TChart::Sync() {
    if (!d_->dirty) {
        return;
    }
    d_->dirty = false;
    const int n = series_ ? series_->Count() : 0;
    QList<QPointF> points;
    points.reserve(n);
    double low = 0.0;
    double high = 0.0;
    for (int i = 0; i < n; ++i) {
        const double v = series_->values_[size_t(i)];
        points.append(QPointF(i, v));
        low = i == 0 ? v : std::min(low, v);
        high = i == 0 ? v : std::max(high, v);
    }
    d_->line->replace(points);
    d_->line->setPen(QPen(ColorToQColor(series_ ? series_->SeriesColor() : clRed), 2));

    if (n >= 2) {
        d_->axisX->setRange(0, n - 1);
    } else {
        d_->axisX->setRange(-1, 1);
    }
    if (n == 0) {
        low = 0.0;
        high = 1.0;
    } else if (low == high) {
        low -= 1.0;
        high += 1.0;
    }
    d_->axisY->setRange(low, high);
    d_->axisY->applyNiceNumbers();

    // Room under the plot for the longest label, standing on end.
    const QFontMetrics metrics(d_->axisY->labelsFont());
    int longest = 0;
    for (int i = 0; i < n; ++i) {
        longest = std::max(longest, metrics.horizontalAdvance(ToDisplayText(series_->labels_[size_t(i)])));
    }
    // Half a line more on the right, so that the last label, standing at the right edge, is
    // not cut off.
    const int right = kMargin + (longest > 0 ? metrics.height() / 2 : 0);
    d_->chart->setMargins(
        QMargins(kMargin + 4, kMargin + 4, right, kMargin + (longest > 0 ? longest + kLabelGap : 0)));
    d_->view->viewport()->update();
}

void TChart::DrawLabels(QPainter* painter) {
    if (!series_ || series_->Count() == 0) {
        return;
    }
    const QFont font = d_->axisY->labelsFont();
    const QFontMetrics metrics(font);
    const QRectF plot = d_->chart->mapRectToScene(d_->chart->plotArea());
    const double baseline = (metrics.ascent() - metrics.descent()) / 2.0;
    painter->save();
    painter->setFont(font);
    painter->setPen(d_->axisY->labelsBrush().color());
    bool drawnOne = false;
    double lastX = 0.0;
    for (int i = 0; i < series_->Count(); ++i) {
        const QString text = ToDisplayText(series_->labels_[size_t(i)]);
        if (text.isEmpty()) {
            continue;
        }
        const double x =
            d_->chart->mapToScene(d_->chart->mapToPosition(QPointF(i, d_->axisY->min()), d_->line)).x();
        if (drawnOne && x - lastX < metrics.height()) {
            continue;
        }
        drawnOne = true;
        lastX = x;
        // Turned a quarter to the left: the text reads upwards and ends at the axis.
        painter->save();
        painter->translate(x + baseline, plot.bottom() + kLabelGap);
        painter->rotate(-90);
        painter->drawText(QPointF(-metrics.horizontalAdvance(text), 0), text);
        painter->restore();
    }
    painter->restore();
}

QImage TChart::Render() {
    Sync();
    // Margins and ranges are laid out by posted layout requests; they must be done before
    // drawing.
    QCoreApplication::sendPostedEvents();
    if (d_->chart->layout()) {
        d_->chart->layout()->activate();
    }
    return d_->view->grab().toImage();
}

QRect TChart::PlotArea() {
    Render();
    const QRectF scene = d_->chart->mapRectToScene(d_->chart->plotArea());
    return d_->view->mapFromScene(scene).boundingRect();
}
