#pragma once

#include <QObject>
#include <QString>

// One sysfs GPIO line. Paths are kept as board paths and every access opens
// the file afresh, so a line exported by someone else is picked up at once.
class Gpio : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)

public:
    explicit Gpio(QObject *parent = nullptr);

    int value();
    void setValue(int level);

    bool exportPin();
    bool setDirection(const QString &direction);

    QString name() const { return lineName; }
    int number() const { return gpioNumber; }
    QString linePath() const { return lineDir; }
    QString valuePath() const { return valueFile; }

    // Last reading logged under -D by any line (shared by all lines).
    static int lastLoggedValue();
    static void resetLastLoggedValue();

public slots:
    bool init(const QString &name, int gpio, const QString &direction);

private:
    int gpioNumber = 0;
    QString lineDirection;
    QString lineName;
    QString lineDir;
    QString valueFile;

    static int lastLogged;
};
