// The collector's public interface: collected objects, traced pointers, gc::sys.
#pragma once

#include "gc/collector.h"
#include "gc/link.h"
#include "gc/object.h"
#include "gc/pointer.h"
