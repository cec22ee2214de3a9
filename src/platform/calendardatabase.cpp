#include "calendardatabase.h"

CalendarDatabase::~CalendarDatabase() = default;
