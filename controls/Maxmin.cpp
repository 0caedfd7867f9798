#include "controls/Maxmin.h"

namespace {

// The first element, replaced only by one that `better` says is strictly preferable.
template <typename T, typename Better> T Pick(std::span<const T> values, Better better) {
    T result = values.front();
    for (const T &value : values)
        if (better(value, result))
            result = value;
    return result;
}

bool VariantGreater(const QVariant &a, const QVariant &b) {
    return QVariant::compare(a, b) == QPartialOrdering::Greater;
}

bool VariantLess(const QVariant &a, const QVariant &b) {
    return QVariant::compare(a, b) == QPartialOrdering::Less;
}

} // namespace

int32_t MaxInteger(std::span<const int32_t> values) {
    return Pick(values, std::greater<>());
}
int32_t MinInteger(std::span<const int32_t> values) {
    return Pick(values, std::less<>());
}
int64_t MaxInt64(std::span<const int64_t> values) {
    return Pick(values, std::greater<>());
}
int64_t MinInt64(std::span<const int64_t> values) {
    return Pick(values, std::less<>());
}
long double MaxFloat(std::span<const long double> values) {
    return Pick(values, std::greater<>());
}
long double MinFloat(std::span<const long double> values) {
    return Pick(values, std::less<>());
}
double MaxDateTime(std::span<const double> values) {
    return Pick(values, std::greater<>());
}
double MinDateTime(std::span<const double> values) {
    return Pick(values, std::less<>());
}
QVariant MaxOf(std::span<const QVariant> values) {
    return Pick(values, VariantGreater);
}
QVariant MinOf(std::span<const QVariant> values) {
    return Pick(values, VariantLess);
}
