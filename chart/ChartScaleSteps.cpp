#include "chart/ChartScaleSteps.h"

#include "chart/Chart.h"

void StepChart(TChart &chart, int code) {
    QRect r = chart.ChartRect();
    const int dy = int(0.1 * r.height());
    const int dx = int(0.1 * r.width());
    int left = r.left(), top = r.top(), right = r.right(), bottom = r.bottom();
    switch (code) {
    case 1:
        top += dy, bottom -= dy;
        break;
    case 3:
        top -= dy, bottom += dy;
        break;
    case 2:
        left += dx, right -= dx;
        break;
    case 4:
        left -= dx, right += dx;
        break;
    case 7:
        top -= dy, bottom -= dy;
        break;
    case 8:
        top += dy, bottom += dy;
        break;
    case 9:
        left -= dx, right -= dx;
        break;
    case 10:
        left += dx, right += dx;
        break;
    default:
        return;
    }
    chart.ZoomRect(QRect(QPoint(left, top), QPoint(right, bottom)));
}

bool AutomaticYRange(double &yMin, double &yMax, double res, bool remote, double axisMin, double axisMax) {
    if (yMax <= -1e9 || yMin >= 1e9)
        return false;
    if (yMax - yMin < 5 * res) {
        const double centre = (yMax + yMin) / 2;
        yMax = centre + 2.6 * res;
        yMin = centre - 2.6 * res;
    }
    const double e = remote ? 0.1 * (axisMax - axisMin) : 0.1 * (yMax - yMin);
    yMax += e;
    yMin -= e;
    if (!remote)
        return true;
    return yMax + e < axisMax || yMax - e > axisMax || yMin - e > axisMin || yMin + e < axisMin;
}
