#pragma once
// Names table rows after their `name` field, so a failure says which case broke.

#include <gtest/gtest.h>

#include <string>

struct RowName {
    template <class Row> std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};
