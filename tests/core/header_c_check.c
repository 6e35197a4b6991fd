/* Compiled as C: the public header must stay plain C, and its record size
 * assertions hold in C too. */
#include "plvlib32.h"

size_t plv_c_offsetof_event_flags(void) { return offsetof(PLVUsageEvent, flags); }
