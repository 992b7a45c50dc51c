// Static registrations of the second test unit, including one duplicate name.
#include "order.h"

CVar orderB1("orderB1", "a text nothing reads");
CVar dupFromB("dupName");
