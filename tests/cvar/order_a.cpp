// Static registrations of the first test unit, including one duplicate name.
#include "order.h"

namespace {
int storageA = 7;
int duplicateStorage = 0;
}  // namespace

CVar orderA1("orderA1");
CVarw orderA2(&storageA, "orderA2", nullptr, 1);
CVarw dupFromA(&duplicateStorage, "dupName", nullptr, 1);
