#include "checks/processor.h"

#include <gtest/gtest.h>

using namespace qd::checks;

TEST(ProcessorName, CollapsesWhiteSpaceAndKeepsCase)
{
    EXPECT_EQ(processor_name_from("  Acme(R) Core(TM)  i7-9700K CPU @ 3.60GHz   "),
              "Acme(R) Core(TM) i7-9700K CPU @ 3.60GHz");
    EXPECT_EQ(processor_name_from("AMD Ryzen\t7\u00a05800X"), "AMD Ryzen 7 5800X");
    EXPECT_EQ(processor_name_from("   "), std::nullopt);
    EXPECT_EQ(processor_name_from(""), std::nullopt);
}
