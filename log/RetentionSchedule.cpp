#include "RetentionSchedule.h"

#include "LogRetention.h"

RetentionSchedule::RetentionSchedule(QObject* parent) : QObject(parent) {
    LogRetention::Sweep();
    connect(&m_daily, &QTimer::timeout, this, [] { LogRetention::Sweep(); });
    m_daily.start(kIntervalMs);
}
