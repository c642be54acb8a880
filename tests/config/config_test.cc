#include "config/config.h"

#include <gtest/gtest.h>

namespace vorlanex {
namespace {

TEST(Config, RecordsStartWithTheirDefaults) {
    const Binding binding;
    EXPECT_EQ(binding.key, 0xFE);
    EXPECT_EQ(binding.times, 1);
    EXPECT_EQ(binding.num_commands(), 0u);
    EXPECT_EQ(Command{}, (Command{8, 0, 0xFF, 0xFF, 0x00}));
    const Config config;
    EXPECT_EQ(config.num_bindings() + config.num_strings() + config.num_longs(), 0u);
    EXPECT_FALSE(config.expansion.has_value());
}

TEST(Config, GetOrCreateBindingFindsTheFirstOfAKey) {
    Config config;
    Binding* a = Config_get_or_create_binding(config, 0x11);
    a->times = 3;
    Config_get_or_create_binding(config, KEY_IMMEDIATE);
    EXPECT_EQ(Config_get_or_create_binding(config, 0x11)->times, 3);
    EXPECT_EQ(config.num_bindings(), 2u);
    EXPECT_EQ(config.bindings[1].key, KEY_IMMEDIATE);

    // Several bindings of one key come only from images; the first one counts.
    Binding second;
    second.key = 0x11;
    second.times = 9;
    ASSERT_TRUE(Config_add_binding(config, second));
    EXPECT_EQ(Config_get_or_create_binding(config, 0x11)->times, 3);
}

TEST(Config, TablesIndexInOrderAndFindTheFirstEqualEntry) {
    Config config;
    EXPECT_EQ(Config_add_string(config, "hi"), 0);
    EXPECT_EQ(Config_add_string(config, "Hi"), 1);
    EXPECT_EQ(Config_add_string(config, "hi"), 2);
    EXPECT_EQ(Config_has_string(config, "hi"), 0);
    EXPECT_EQ(Config_has_string(config, "HI"), std::nullopt);
    EXPECT_EQ(Config_add_long(config, 65536), 0);
    EXPECT_EQ(Config_add_long(config, 70000), 1);
    EXPECT_EQ(Config_has_long(config, 70000), 1);
    EXPECT_EQ(Config_has_long(config, 1), std::nullopt);
}

TEST(Config, AppendsRefuseToPassTheImageLimits) {
    Binding binding;
    for (std::size_t i = 0; i < kMaxCommandsPerBinding; ++i) ASSERT_TRUE(Binding_add(binding, {}));
    EXPECT_FALSE(Binding_add(binding, {}));
    EXPECT_EQ(binding.num_commands(), 255u);

    Config config;
    for (std::uint32_t i = 0; i < kMaxTableEntries; ++i) {
        ASSERT_TRUE(Config_add_long(config, i));
        ASSERT_TRUE(Config_add_string(config, ""));
    }
    EXPECT_EQ(Config_add_long(config, 1u << 20), std::nullopt);
    EXPECT_EQ(Config_add_string(config, "x"), std::nullopt);
    EXPECT_EQ(config.num_longs(), 65535u);
    for (std::size_t i = 0; i < kMaxTableEntries; ++i) ASSERT_TRUE(Config_add_binding(config, {}));
    EXPECT_FALSE(Config_add_binding(config, {}));
}

TEST(Command, TableIndexTravelsLowByteInMaskHighByteInData) {
    for (const std::uint16_t index : {0x0000, 0x00FF, 0x1234, 0xFFFF}) {
        Command command;
        Command_set_index(command, index);
        EXPECT_EQ(command.mask, index & 0xFF);
        EXPECT_EQ(command.data, index >> 8);
        EXPECT_EQ(Command_index(command), index);
    }
}

TEST(Expansion, SetNumPortsGivesZeroedPortValues) {
    Expansion expansion;
    Expansion_set_num_ports(expansion, 2);
    EXPECT_EQ(expansion.num_ports(), 2);
    EXPECT_EQ(expansion.port_values, (std::vector<std::uint8_t>{0, 0}));
}

}  // namespace
}  // namespace vorlanex
