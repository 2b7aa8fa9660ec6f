#include "protocol/catalog.h"
#include "support/frames.h"

#include <gtest/gtest.h>

using namespace varento;
using namespace varento::testing;

TEST(Catalog, TypeNamesAndPanels) {
    EXPECT_STREQ(typeName(12), "VARENTO 2");
    EXPECT_STREQ(typeName(24), "VARENTO.LC Corvel");
    EXPECT_STREQ(typeName(19), "VARENTO.AES SRC");
    for (int unknown : {0, 7, 15, 23, 25, 255}) {
        EXPECT_STREQ(typeName(unknown), "N/A") << unknown;
        EXPECT_EQ(frontPanel(unknown), FrontPanel::None) << unknown;
    }
    EXPECT_EQ(frontPanel(11), FrontPanel::Base);
    EXPECT_EQ(frontPanel(18), FrontPanel::Extended);
    EXPECT_EQ(frontPanel(22), FrontPanel::None);
    EXPECT_TRUE(hasMicInputs(24));
    EXPECT_FALSE(hasMicInputs(12));
    EXPECT_TRUE(hasRedundancyOptions(20));
    EXPECT_FALSE(hasRedundancyOptions(8));
    EXPECT_TRUE(hasSampleRateConverter(19));
}

TEST(Catalog, TypeNameByPosition) {
    DiscoveredList list;
    list.addOrUpdate(uidOf(1), 12, 4, 1, 0);
    list.addOrUpdate(uidOf(2), 14, 4, 1, 0);
    list.addOrUpdate(uidOf(3), 11, 4, 1, 0);
    std::string name;
    EXPECT_EQ(typeNameAt(list, 1, name), 0);
    EXPECT_EQ(name, "VARENTO 2.PX SRC");
    EXPECT_EQ(typeNameAt(list, 3, name), -1);
    EXPECT_EQ(name, "N/A");
}

TEST(Catalog, ExtendedRouting) {
    struct Case {
        int model;
        int major, minor;
        bool expected;
    };
    const Case cases[] = {
        {8, 9, 9, false},   {10, -1, 0, false}, {11, 3, 0, false}, {11, 3, 1, true},
        {11, -2, 0, true},  {12, 3, 9, false},  {13, 4, 0, true},  {14, -1, 0, true},
        {18, 2, 0, false},  {19, 2, 1, true},   {20, 0, 2, true},  {20, 1, 1, false},
        {21, 2, 0, true},   {21, -1, 0, true},  {24, 0, 9, false}, {24, 1, 0, false},
        {24, 1, 1, true},   {24, 2, 0, true},   {22, 9, 9, false}, {15, 9, 9, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(extendedRoutingSupported(c.model, static_cast<std::int8_t>(c.major),
                                           static_cast<std::int8_t>(c.minor)),
                  c.expected)
            << "model " << c.model << " " << c.major << "." << c.minor;
    }
}

TEST(Catalog, FirmwareWarnings) {
    const std::string prefix = "Your device is not up to date. Some functions of this software "
                               "might not work as expected. ";
    auto warn = [](int model, int major, int minor) {
        return firmwareWarning(model, static_cast<std::int8_t>(major),
                               static_cast<std::int8_t>(minor));
    };
    EXPECT_EQ(warn(12, 6, 5), prefix + "Please update VARENTO firmware to version 6.6 or higher.");
    EXPECT_EQ(warn(12, 5, 9), prefix + "Please update VARENTO firmware to version 6.4 or higher.");
    EXPECT_FALSE(warn(12, 7, 0));
    EXPECT_FALSE(warn(12, 6, 6));
    EXPECT_FALSE(warn(12, -1, 0));
    EXPECT_EQ(warn(11, 4, 5),
              prefix + "Please update VARENTO.LC firmware to version 4.6 or higher.");
    EXPECT_FALSE(warn(11, 4, 6));
    EXPECT_EQ(warn(24, 2, 0),
              prefix + "Please update VARENTO.LC Corvel remote firmware to version 2.1 or higher.");
    EXPECT_FALSE(warn(24, 2, 1));
    EXPECT_EQ(warn(19, 2, 6), prefix + "Please update firmware to version 2.7 or higher.");
    EXPECT_FALSE(warn(18, 3, 0));
    EXPECT_EQ(warn(20, 1, 3), prefix + "Please update firmware to version 1.4 or higher.");
    EXPECT_FALSE(warn(21, 1, 4));
    EXPECT_FALSE(warn(21, 2, 0));
}
