#pragma once
// Runs the retention sweep (LogRetention::Sweep) when the station starts and then once a day for as long
// as it runs.

#include <QObject>
#include <QTimer>

class RetentionSchedule final : public QObject {
public:
    explicit RetentionSchedule(QObject* parent = nullptr);

    static constexpr int kIntervalMs = 24 * 60 * 60 * 1000;

private:
    QTimer m_daily;
};
