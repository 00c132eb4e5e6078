#include "unitbase/UnitChartStyle.h"

#include "platform/PeChart.h"

using namespace pesgo;

namespace unitchart {

void ClearChart(PeChart& c, const std::array<qint32, 4>& colours) {
    c.setProp(P226, qint16(0));
    c.setProp(P93, qint16(0));
    c.setProp(P226, qint32(-99999));
    c.setProp(P93, qint32(-99999));
    for (int p = 0; p < 4; ++p) c.setProp(YData, 0, p, 0.0f);
    for (int s = 0; s < 4; ++s) c.setProp(SubsetColor, s, colours[size_t(s)]);
}

void StyleChart(PeChart& c, const QString& title, const QString& subtitle, double property204) {
    c.setProp(MainTitle, title);
    c.setProp(SubTitle, subtitle);
    c.setProp(P177, qint16(20));
    c.setProp(P48, qint16(0));
    c.setProp(P13, qint16(2));
    c.setProp(P29, true);
    c.setProp(P143, true);
    c.setProp(P153, true);
    c.setProp(P137, qint16(2));
    c.setProp(P141, true);
    c.setProp(P142, true);
    c.setProp(P43, qint16(0));
    c.setProp(P228, qint16(0));
    c.setProp(P203, true);
    c.setProp(P64, true);
    c.setProp(P98, qint16(3));
    c.setProp(P223, true);
    c.setProp(P204, property204);
    c.setProp(XAxisScale, qint16(ScaleLinear));
    c.setProp(P66, true);
    c.setProp(P140, qint16(3));
    c.setProp(Action, qint16(ActionRedraw));
}

}  // namespace unitchart
