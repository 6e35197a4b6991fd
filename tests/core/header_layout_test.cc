#include <cstddef>

#include <gtest/gtest.h>

#include "plvlib32.h"

extern "C" size_t plv_c_offsetof_event_flags(void);

namespace {

// Field offsets that do not depend on the width of pointers; record sizes
// are asserted in the header itself, in C as in C++.
TEST(HeaderLayout, FieldsArePackedInOrderInCAndCxx) {
    EXPECT_EQ(plv_c_offsetof_event_flags(), offsetof(PLVUsageEvent, flags));
    EXPECT_EQ(offsetof(PLVUsageEvent, workstation), 20u);
    EXPECT_EQ(offsetof(PLVUsageEvent, application), 243u);
    EXPECT_EQ(offsetof(PLVUsageEvent, startDate), 373u);
    EXPECT_EQ(offsetof(PLVUsageEvent, flags), 423u);
    EXPECT_EQ(offsetof(PLVNewDefinition, fileSize), 307u);
    EXPECT_EQ(offsetof(PLVNewDefinition, languageId), 492u);
    EXPECT_EQ(offsetof(PLVCandidate, window), 478u);
    EXPECT_EQ(offsetof(PLVHookRecord, title), 4u + 4u + sizeof(PLVHWND));
    EXPECT_EQ(sizeof(PLVMeteredApp), 130u + 2 * (sizeof(void *) - 4));
    EXPECT_EQ(sizeof(PLVUsageEventNode), 427u + sizeof(void *));
}

}  // namespace
