// gaugeplot3d polygon gauges and field value: per direction, kept up to date polygon by polygon.
//
// The field value F = (sum over polygons of g^-8)^(-1/8) is never recomputed from all polygons:
// an add puts the active polygon's term into the stored value, a replace exchanges its old term,
// read back from its stored gauges, for its new one. Products, powers and reciprocals are taken
// in double and rounded where they are stored.
#include "field.h"

#include <cmath>

#include "viewer.h"

namespace gaugeplot3d {

FieldState field;

double fieldTerm(double x)
{
    if (!std::isfinite(x) || x <= 0)
        return 0;
    return 1.0 / std::pow(x, FieldExponent);
}

void polygonGauge(int k, int n)
{
    EdgeLine& line = sketch.edgeLines[k];
    int count = sketch.polygons[k].vertexCount;
    line.gauge = 0;
    for (int i = 1; i <= count; i++) {
        double e = double(line.b[i]) * field.queryY + double(line.c[i]) * field.queryZ +
                   double(line.a[i]) * field.queryX;
        // An edge line through the origin has no finite coefficients and no value.
        if (!std::isfinite(e))
            continue;
        double positive = (e + std::fabs(e)) * 0.5;
        line.gauge = float(line.gauge + std::pow(positive, GaugeExponent));
    }
    line.gauge = float(std::pow(double(line.gauge), 1.0 / GaugeExponent));
    line.gauges[n] = line.gauge;
}

void updateField(int n)
{
    const int k = viewer.activePolygon;
    const EdgeLine& line = sketch.edgeLines[k];
    const double stored = field.fieldValues[n];
    float value = float(stored);

    if (viewer.addActive) {
        polygonGauge(k, n);
        if (viewer.polygonCount == 1)
            value = line.gauge;  // the first polygon: the initial 0 never enters a sum
        else
            value = float(1.0 / std::pow(std::fabs(fieldTerm(line.gauge) + fieldTerm(stored)),
                                         1.0 / FieldExponent));
    }
    if (viewer.replaceActive) {
        // The other polygons' terms, which are never negative; rounding can leave the difference
        // slightly below 0 where they are negligible.
        double others = fieldTerm(stored) - fieldTerm(line.gauges[n]);
        if (!(others >= 0))
            others = 0;
        polygonGauge(k, n);
        value = float(1.0 / std::pow(others + fieldTerm(line.gauge), 1.0 / FieldExponent));
    }
    field.fieldValues[n] = value;
}

void fieldLevelPoints(int n)
{
    if (viewer.fieldDirty)
        updateField(n);
    const double value = field.fieldValues[n];
    field.innerX = float(field.queryX * InnerFraction / value);
    field.innerY = float(field.queryY * InnerFraction / value);
    field.queryX = float(field.queryX / value);
    field.queryY = float(field.queryY / value);
}

}  // namespace gaugeplot3d
