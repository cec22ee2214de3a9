#pragma once

#include "eventstore.h"

// A synchroniser that only counts the runs the store starts.
class CountingSynchroniser final : public EventSynchroniser
{
public:
    int runs = 0;
    QCoro::Task<> sync(EventStore &) override
    {
        ++runs;
        co_return;
    }
};
