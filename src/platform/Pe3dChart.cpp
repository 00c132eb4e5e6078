#include "platform/Pe3dChart.h"

#include <Q3DCamera>
#include <Q3DScatter>
#include <Q3DTheme>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QScatter3DSeries>
#include <QScatterDataProxy>
#include <QTimer>
#include <QVBoxLayout>
#include <QValue3DAxis>
#include <cmath>

using namespace pe3do;

namespace {

constexpr int kMaxDrawnSubsets = 1000;
// Series of more points than this are drawn as points, not spheres.
constexpr int kMaxSpheres = 2000;

Pe3dChart::PrintHandler& printHandler() {
    static Pe3dChart::PrintHandler h;
    return h;
}

void printOnDefaultPrinter(Pe3dChart& chart) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!printer.isValid() || printer.printerName().isEmpty()) return;
    chart.print(printer);
}

// Whether this session can make the OpenGL context a 3-D view needs (not so on
// the offscreen platform the tests run on).
bool openGlAvailable() {
    static const bool available = [] {
        QOpenGLContext context;
        if (!context.create()) return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!surface.isValid() || !context.makeCurrent(&surface)) return false;
        context.doneCurrent();
        return true;
    }();
    return available;
}

}  // namespace

Pe3dChart::Pe3dChart(QWidget* parent) : PeControl(Action, parent) {
    for (int p : {XData, YData, ZData}) store_.addPointProperty(p);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setAlignment(Qt::AlignCenter);
    title_->setTextFormat(Qt::RichText);
    box_ = new QVBoxLayout(this);
    box_->setContentsMargins(0, 0, 0, 0);
    box_->addWidget(title_);
    redraw();
}

Pe3dChart::~Pe3dChart() = default;

// ---------------------------------------------------------------------------
// Writes and reads

QString Pe3dChart::yAxisLabel() const { return store_.get(YAxisLabel).toString(); }
QString Pe3dChart::zAxisLabel() const { return store_.get(ZAxisLabel).toString(); }
float Pe3dChart::xData(int s, int p) const { return store_.pointValue(XData, s, p); }
float Pe3dChart::yData(int s, int p) const { return store_.pointValue(YData, s, p); }
float Pe3dChart::zData(int s, int p) const { return store_.pointValue(ZData, s, p); }
QString Pe3dChart::shownTitle() const { return title_->text(); }

// ---------------------------------------------------------------------------
// Commands

void Pe3dChart::command(int value) {
    switch (value) {
        case ActionRedraw:
            redraw();
            break;
        case ActionPrint: {
            if (dirty_) redraw();
            PrintHandler h = printHandler();
            if (h) h(*this);
            else printOnDefaultPrinter(*this);
            break;
        }
        case ActionNewChart:
            store_.clearPoints();
            scheduleRefresh();
            break;
        default:
            break;
    }
}

Pe3dChart::PrintHandler Pe3dChart::setPrintHandler(PrintHandler h) {
    PrintHandler old = printHandler();
    printHandler() = std::move(h);
    return old;
}


// ---------------------------------------------------------------------------
// Drawing

void Pe3dChart::redraw() {
    dirty_ = false;
    QString title = mainTitle().toHtmlEscaped();
    if (!subTitle().isEmpty()) {
        if (!title.isEmpty()) title = QStringLiteral("<b>") + title + QStringLiteral("</b><br>");
        title += subTitle().toHtmlEscaped();
    } else if (!title.isEmpty()) {
        title = QStringLiteral("<b>") + title + QStringLiteral("</b>");
    }
    title_->setText(title);

    drawn_.clear();
    const int n = std::clamp(subsets(), 0, kMaxDrawnSubsets);
    const int count = std::max(0, points());
    for (int s = 0; s < n; ++s) {
        QList<QVector3D> pts;
        for (int p = 0; p < count; ++p) {
            if (!store_.pointWritten(XData, s, p) || !store_.pointWritten(YData, s, p) ||
                !store_.pointWritten(ZData, s, p))
                continue;
            const QVector3D v(xData(s, p), yData(s, p), zData(s, p));
            if (!std::isfinite(v.x()) || !std::isfinite(v.y()) || !std::isfinite(v.z())) continue;
            pts.append(v);
        }
        drawn_.append(pts);
    }
    pushToGraph();
}

void Pe3dChart::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!graph_ && openGlAvailable()) makeGraph();
}

void Pe3dChart::makeGraph() {
    graph_ = new Q3DScatter;
    graph_->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
    // The two horizontal axes carry unlike quantities (time, temperature, shear
    // rate, pressure): drawn at fixed lengths whatever their ranges, X twice
    // the depth.
    graph_->setHorizontalAspectRatio(2.0);
    // Seen a little from above and from the right, the box lying wide in the
    // wide, low chart area, the labels of its front edges inside the view.
    graph_->scene()->activeCamera()->setCameraPosition(30.0f, 18.0f, 85.0f);
    // Labels large enough to read in a chart a third of the screen high, and
    // turned towards the viewer.
    QFont font = graph_->activeTheme()->font();
    font.setPointSize(48);
    graph_->activeTheme()->setFont(font);
    for (QValue3DAxis* axis : {graph_->axisX(), graph_->axisY(), graph_->axisZ()}) {
        axis->setTitleVisible(true);
        axis->setTitleFixed(false);
        axis->setLabelAutoRotation(90);
    }
    // The depth axis is seen nearly end on: few labels, so they do not pile
    // onto one another.
    graph_->axisZ()->setSegmentCount(2);
    container_ = QWidget::createWindowContainer(graph_, this);
    container_->setObjectName(QStringLiteral("graph"));
    container_->setMinimumSize(200, 150);
    box_->addWidget(container_, 1);
    pushToGraph();
}

void Pe3dChart::pushToGraph() {
    if (!graph_) return;
    for (QScatter3DSeries* old : graph_->seriesList()) {
        graph_->removeSeries(old);
        delete old;
    }
    graph_->axisX()->setTitle(xAxisLabel());
    graph_->axisY()->setTitle(yAxisLabel());
    graph_->axisZ()->setTitle(zAxisLabel());
    for (const QList<QVector3D>& pts : drawn_) {
        auto* data = new QScatterDataArray;
        data->reserve(pts.size());
        for (const QVector3D& v : pts) data->append(QScatterDataItem(v));
        auto* series = new QScatter3DSeries;
        series->dataProxy()->resetArray(data);
        series->setItemSize(0.08f);
        // A sphere per point draws slowly past a few thousand points (seconds
        // on a long test): long series are drawn as plain points.
        if (pts.size() > kMaxSpheres) series->setMesh(QAbstract3DSeries::MeshPoint);
        graph_->addSeries(series);
    }
}

// ---------------------------------------------------------------------------
// Printing

bool Pe3dChart::print(QPrinter& printer) {
    if (dirty_) redraw();
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = printer.resolution() / 96.0;
    // Title block.
    QFont font = painter.font();
    font.setPixelSize(int(16 * scale));
    font.setBold(true);
    painter.setFont(font);
    const double line = QFontMetricsF(font).height();
    QRectF textRect(0, 0, page.width(), line);
    painter.drawText(textRect, Qt::AlignCenter, mainTitle());
    font.setBold(false);
    font.setPixelSize(int(12 * scale));
    painter.setFont(font);
    textRect.translate(0, line);
    painter.drawText(textRect, Qt::AlignCenter, subTitle());
    const QRectF body(0, 2.5 * line, page.width(), page.height() - 2.5 * line);
    // The 3-D view, when there is one to render.
    QImage image;
    if (graph_) image = graph_->renderToImage(4, QSize(1200, int(1200 * body.height() / std::max(1.0, body.width()))));
    if (!image.isNull()) {
        const QSizeF fitted = QSizeF(image.size()).scaled(body.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(body.topLeft(), fitted), image);
    } else {
        painter.drawText(body, Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("X: %1\nY: %2\nZ: %3").arg(xAxisLabel(), yAxisLabel(), zAxisLabel()));
    }
    painter.end();
    return true;
}

bool Pe3dChart::printToPdf(const QString& fileName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageOrientation(QPageLayout::Landscape);
    return print(printer);
}
