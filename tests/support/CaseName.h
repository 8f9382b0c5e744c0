#pragma once

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <string>

// Names each case of a table-driven test after the `name` field of its row.
struct CaseName {
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row>& row) const
    {
        return row.param.name;
    }
};
