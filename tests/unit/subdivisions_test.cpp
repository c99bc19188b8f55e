#include <gtest/gtest.h>

#include <set>
#include <string>

#include "catalogs/subdivisions.h"

using namespace vemtrix;

TEST(Subdivisions, TablesHoldTheirEntriesInVisitingOrder) {
  ASSERT_EQ(kSubdivisionTables[0], &kUsStateTable);
  ASSERT_EQ(kSubdivisionTables[1], &kCanadianProvinceTable);
  ASSERT_EQ(kSubdivisionTables[2], &kAustralianStateTable);
  EXPECT_EQ(SubdivisionCount(kUsStateTable), 51);
  EXPECT_EQ(SubdivisionCount(kCanadianProvinceTable), 13);
  EXPECT_EQ(SubdivisionCount(kAustralianStateTable), 8);

  EXPECT_EQ(SubdivisionName(kUsStateTable, 1), "Alabama");
  EXPECT_EQ(SubdivisionName(kUsStateTable, 9), "District of Columbia");
  EXPECT_EQ(SubdivisionCode(kUsStateTable, 9), "DC");
  EXPECT_EQ(SubdivisionCode(kUsStateTable, 51), "WY");
  EXPECT_EQ(SubdivisionName(kCanadianProvinceTable, 1), "Ontario");
  EXPECT_EQ(SubdivisionName(kCanadianProvinceTable, 10), "Newfoundland and Labrador");
  EXPECT_EQ(SubdivisionName(kCanadianProvinceTable, 11), "Yukon Territory");
  EXPECT_EQ(SubdivisionCode(kCanadianProvinceTable, 13), "NT");
  EXPECT_EQ(SubdivisionCode(kAustralianStateTable, 1), "NSW");
  EXPECT_EQ(SubdivisionName(kAustralianStateTable, 8), "Northern Territory");

  // Out of range: empty, never past the table.
  EXPECT_EQ(SubdivisionName(kUsStateTable, 0), "");
  EXPECT_EQ(SubdivisionCode(kUsStateTable, 52), "");
  EXPECT_EQ(SubdivisionName(kAustralianStateTable, -1), "");

  // Within each table, names and codes are unique.
  for (const SubdivisionTable* table : kSubdivisionTables) {
    std::set<std::string> names, codes;
    for (int i = 1; i <= SubdivisionCount(*table); ++i) {
      names.insert(SubdivisionName(*table, i));
      codes.insert(SubdivisionCode(*table, i));
    }
    EXPECT_EQ(static_cast<int>(names.size()), SubdivisionCount(*table)) << table->country;
    EXPECT_EQ(static_cast<int>(codes.size()), SubdivisionCount(*table)) << table->country;
  }
}

TEST(Subdivisions, ConvertTurnsNamesAndCodesIntoEachOther) {
  // Two characters are a code in any case; anything else is a name in any case.
  EXPECT_EQ(SubdivisionConvert("on", false), "Ontario");
  EXPECT_EQ(SubdivisionConvert("oNTARIO", true), "Canada");
  EXPECT_EQ(SubdivisionConvert("ONTARIO", false), "ON");
  EXPECT_EQ(SubdivisionConvert("district of columbia", false), "DC");
  EXPECT_EQ(SubdivisionConvert("Dc", true), "United States");

  // US before Canada; Australia never.
  EXPECT_EQ(SubdivisionConvert("WA", false), "Washington");
  EXPECT_EQ(SubdivisionConvert("wa", true), "United States");
  EXPECT_EQ(SubdivisionConvert("NT", false), "Northwest Territories");
  EXPECT_EQ(SubdivisionConvert("NT", true), "Canada");
  EXPECT_EQ(SubdivisionConvert("NSW", false), "Error");
  EXPECT_EQ(SubdivisionConvert("Queensland", true), "Error");

  // Nothing matches: wrong wording, surrounding spaces, empty, unknown code.
  EXPECT_EQ(SubdivisionConvert("Yukon", false), "Error");
  EXPECT_EQ(SubdivisionConvert(" Ontario", false), "Error");
  EXPECT_EQ(SubdivisionConvert("", true), "Error");
  EXPECT_EQ(SubdivisionConvert("ZZ", false), "Error");
  EXPECT_EQ(SubdivisionConvert("O", false), "Error");

  // Every US and Canadian entry converts both ways.
  for (const SubdivisionTable* table : {&kUsStateTable, &kCanadianProvinceTable}) {
    for (int i = 1; i <= SubdivisionCount(*table); ++i) {
      const std::string name = SubdivisionName(*table, i), code = SubdivisionCode(*table, i);
      EXPECT_EQ(SubdivisionConvert(name, false), code);
      EXPECT_EQ(SubdivisionConvert(code, false), name);
      EXPECT_EQ(SubdivisionConvert(code, true), table->country);
    }
  }
}
