#include "unitbase/UnitChartStyle.h"

#include "platform/PeChart.h"

using namespace pesgo;

namespace unitchart {

void ClearPoints(PeChart& c, bool firstX) {
    c.setProp(P226, qint16(0));
    c.setProp(P93, qint16(0));
    c.setProp(P226, qint32(-99999));
    c.setProp(P93, qint32(-99999));
    if (firstX) c.setProp(XData, 0, 0, 0.0f);
    for (int p = 0; p < 4; ++p) c.setProp(YData, 0, p, 0.0f);
}

void ClearChart(PeChart& c, const std::array<qint32, 4>& colours) {
    ClearPoints(c, false);
    for (int s = 0; s < 4; ++s) c.setProp(SubsetColor, s, colours[size_t(s)]);
}

void SubsetSettings(PeChart& c, qint32 property134) {
    const int order[] = {0, 2, 4, 1, 3, 5};
    for (int s : order) c.setProp(P134, s, property134);
    const qint32 values133[] = {2, 6, 6, 9, 9, 1};
    for (int k = 0; k < 6; ++k) c.setProp(P133, order[k], values133[k]);
}

void SetLook(PeChart& c, const Look& look) {
    c.setProp(P177, look.property177);
    c.setProp(P48, qint16(0));
    c.setProp(P13, qint16(2));
    c.setProp(P29, true);
    c.setProp(P143, true);
    c.setProp(P153, true);
    if (look.rheology) c.setProp(P223, true);
    c.setProp(P137, qint16(2));
    c.setProp(P141, true);
    c.setProp(P142, true);
    c.setProp(P43, qint16(0));
    c.setProp(P228, qint16(0));
    c.setProp(P203, look.property203);
    if (look.rheology)
        c.setProp(P6, peRgb(224, 224, 224));
    else
        c.setProp(P64, true);
    c.setProp(P98, qint16(3));
    c.setProp(P223, true);
    c.setProp(P204, look.property204);
    c.setProp(XAxisScale, qint16(ScaleLinear));
    c.setProp(P66, true);
    if (look.rheology) c.setProp(P64, true);
    c.setProp(P140, qint16(3));
    c.setProp(Action, qint16(ActionRedraw));
}

void StyleChart(PeChart& c, const QString& title, const QString& subtitle, double property204) {
    c.setProp(MainTitle, title);
    c.setProp(SubTitle, subtitle);
    SetLook(c, Look{qint16(20), true, property204, false});
}

}  // namespace unitchart
