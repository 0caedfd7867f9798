#include "controls/Rxprgrss.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

namespace {

class TGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int MaxValue MEMBER maxValue)
    Q_PROPERTY(int MinValue MEMBER minValue)
    Q_PROPERTY(double Progress MEMBER progress)
    Q_PROPERTY(QString Caption MEMBER caption)
public:
    int maxValue = 0;
    int minValue = 0;
    double progress = 0;
    QString caption;
};

class TStepBar : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(int Steps MEMBER steps)
    Q_PROPERTY(QVariant Done MEMBER done)
public:
    int steps = 0;
    QVariant done;
};

class TFancyStepBar : public TStepBar {
    Q_OBJECT
};

TEST(RxprgrssTest, RegisteredClassesAreDrivenByTheirPropertyNames) {
    QProgressBar bar;
    QLabel label;
    EXPECT_TRUE(SetProgressMax(&bar, 500));
    EXPECT_TRUE(SetProgressValue(&bar, 120));
    EXPECT_EQ(bar.maximum(), 500);
    EXPECT_EQ(bar.value(), 120);
    EXPECT_FALSE(SetProgressValue(&label, 1));
    EXPECT_FALSE(SetProgressValue(nullptr, 1));
    EXPECT_FALSE(SupportsProgressControl(nullptr));

    TGauge gauge;
    RegisterProgressControl(&TGauge::staticMetaObject, QStringLiteral("MaxValue"), QStringLiteral("MinValue"),
                            QStringLiteral("Progress"));
    EXPECT_TRUE(SetProgressMax(&gauge, 1000));
    EXPECT_TRUE(SetProgressMin(&gauge, 10));
    EXPECT_TRUE(SetProgressValue(&gauge, 250)); // a floating-point property takes the value converted
    EXPECT_EQ(gauge.maxValue, 1000);
    EXPECT_EQ(gauge.minValue, 10);
    EXPECT_EQ(gauge.progress, 250.0);

    // A property of another kind, or one the class does not have, is left alone.
    RegisterProgressControl(&TGauge::staticMetaObject, QStringLiteral("Caption"), QStringLiteral("Nothing"),
                            QStringLiteral("Progress"));
    EXPECT_FALSE(SetProgressMax(&gauge, 5));
    EXPECT_FALSE(SetProgressMin(&gauge, 5));
    UnRegisterProgressControl(&TGauge::staticMetaObject);
    EXPECT_FALSE(SupportsProgressControl(&gauge));
}

TEST(RxprgrssTest, ALaterRegistrationOfADerivedClassOverridesAndUnregisteringTakesTheDerivedToo) {
    RegisterProgressControl(&TStepBar::staticMetaObject, QStringLiteral("Steps"), QString(), QStringLiteral("Done"));
    QProgressBar plain;
    TFancyStepBar fancy;
    EXPECT_TRUE(SetProgressMax(&fancy, 77));
    EXPECT_EQ(fancy.steps, 77);
    EXPECT_EQ(fancy.maximum(), 100); // the plain names no longer apply to it
    EXPECT_TRUE(SetProgressValue(&fancy, 3));
    EXPECT_EQ(fancy.done.toInt(), 3); // a variant property
    EXPECT_TRUE(SetProgressMax(&plain, 9));
    EXPECT_EQ(plain.maximum(), 9);

    UnRegisterProgressControl(&QProgressBar::staticMetaObject);
    EXPECT_FALSE(SupportsProgressControl(&plain));
    EXPECT_FALSE(SupportsProgressControl(&fancy));
    RegisterProgressControl(&QProgressBar::staticMetaObject, QStringLiteral("maximum"), QStringLiteral("minimum"),
                            QStringLiteral("value"));
    EXPECT_TRUE(SupportsProgressControl(&plain));
}

} // namespace

#include "RxprgrssTest.moc"
