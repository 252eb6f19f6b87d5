// The translation context of the job's texts that belong to no window.
#pragma once

#include <QCoreApplication>

struct JobText {
    Q_DECLARE_TR_FUNCTIONS(JobText)
};
