// Shared set-up of the output tests: a small result store, empty catalogs,
// a settings record of defaults, a recording front end and a scratch folder
// for files.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "catalogs/catalog_files.h"
#include "core/current_search.h"
#include "core/result_store.h"
#include "core/settings.h"
#include "output/csv_export.h"
#include "platform/platform.h"
#include "support/recording_frontend.h"
#include "support/test_folder.h"

namespace vemtrix::testing {

class OutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Results().CreateWithCapacity(2000);
    ClearCatalog(StateTable());
    ClearCatalog(CityCatalog(SiteId::Kijiji));
    CurrentSearch().name = "cars";
    folder = TestFolder("output");
  }
  void TearDown() override {
    Results().CreateWithCapacity(0);
    ClearCatalog(StateTable());
    ClearCatalog(CityCatalog(SiteId::Kijiji));
    platform::SetClockForTesting({});
  }

  // Appends a row; fresh rows carry the new flag.
  static void AddRow(const std::string& title, const std::string& link, bool fresh = false,
                     const std::string& fullText = "", const std::string& date = "2026-03-01") {
    SearchResult row{date, title, "Toronto", "bikes", link, fullText, fresh ? "Yes" : ""};
    ASSERT_TRUE(Results().AppendLoaded(row));
  }

  static std::string ReadFile(const std::string& path) {
    std::string text;
    EXPECT_TRUE(platform::ReadWholeFile(path, text)) << path;
    return text;
  }

  // A path in the scratch folder, with no file there yet.
  std::string FreshPath(const std::string& name) {
    platform::DeleteFileAt(folder + name);
    return folder + name;
  }

  RecordingFrontend ui;
  Settings settings = DefaultSettings();
  std::string folder;
};

}  // namespace vemtrix::testing
