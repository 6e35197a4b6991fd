/* Compiled as C: the public header must stay plain C. */
#include "plvlib32.h"

size_t plv_c_sizeof_usage_event(void) { return sizeof(PLVUsageEvent); }
size_t plv_c_offsetof_event_flags(void) { return offsetof(PLVUsageEvent, flags); }
size_t plv_c_sizeof_new_definition(void) { return sizeof(PLVNewDefinition); }
