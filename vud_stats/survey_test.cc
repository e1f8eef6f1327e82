#include "vud_stats/survey.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "vud_stats/stats_test_util.h"

namespace vud {
namespace {

class Survey : public StatsTest {
 protected:
  void SetUp() override {
    StatsTest::SetUp();
    rs_.act = "-";
    set_day_fractions(df_, 30);
  }
  // Runs the first pass over log (bound to the log channel).
  void survey(const std::string& log) {
    log_.clear();
    log_.str(log);
    channel_bind_input(rs_.iunit, &log_);
    survey_pass(rs_, df_, *line_, *sv_);
  }
  static std::string qtv2(const char* hms, const char* name, int kind) {
    char b[96];
    std::snprintf(b, sizeof b, "2014/12/22,%s,%s,-61,%d,17,3,2950,51.20,215,120,14,5,0\n", hms,
                  name, kind);
    return b;
  }
  static std::string molva(const char* hms, int isen, int left = 0) {
    char b[128];
    std::snprintf(b, sizeof b, "MOLVA,1,2013-06-21 %s.000,%d,5,3,1,%d,39000,850,3000,5000\n", hms,
                  isen, left);
    return b;
  }
  RunSettings rs_;
  DayFractions df_;
  std::unique_ptr<LineState> line_ = std::make_unique<LineState>();
  std::unique_ptr<SurveyResult> sv_ = std::make_unique<SurveyResult>();
  std::istringstream log_;
};

TEST_F(Survey, QtvTwoSensorsAreCountedAndOrdered) {
  survey(qtv2("10:00:00", "B0000001", 1) + qtv2("10:00:30", "A0000002", 1) +
         qtv2("10:05:00", "B0000001", 1) + qtv2("10:07:00", "C0000003", 2) +
         qtv2("10:10:00", "B0000001", 1) + qtv2("10:10:30", "A0000002", 2));
  const SensorTables& st = sv_->st;
  EXPECT_EQ(sv_->fileformat, kFormatQtv2);
  EXPECT_EQ(sv_->act, '2');
  EXPECT_EQ(st.howmany, 3);
  EXPECT_EQ(st.mapsenhits(1), 3);
  EXPECT_EQ(st.mapsenhits(2), 1);
  EXPECT_EQ(st.mapsenhits(3), 0);  // heard only through kind-2 packets
  // 600 seconds over 3 hits, in 4-byte day numbers of day 356.
  EXPECT_NEAR(st.deltas(1), 200.0F, 2.0F);
  EXPECT_EQ(st.deltas(2), 0.0F);
  EXPECT_EQ(sv_->first_mark.thehouris, df_.hourdayfrac[10]);
  EXPECT_EQ(sv_->first_mark.ithehouris, 10);
  const std::string text = shown();
  EXPECT_EQ(text.substr(text.find(" Sensor")).substr(0, 58),
            " Sensor number-of-hits typical-interval (sec)\n B0000001 3 ");
  EXPECT_EQ(text.find("A0000002 1"), std::string::npos);

  EXPECT_EQ(show_survey(rs_, *sv_), kRunGoesOn);
  EXPECT_EQ(shown(), "how many sensors found:   3\nB0000001 A0000002 C0000003 \n");
  EXPECT_EQ(st.envsorted(1).view(), "A0000002");
  EXPECT_EQ(st.envsorted(2).view(), "B0000001");
  EXPECT_EQ(st.envsorted(3).view(), "C0000003");
  EXPECT_EQ(st.mapsentoarray(1), 2);
  EXPECT_EQ(st.mapsentoarray(2), 1);
  EXPECT_EQ(st.mapsentoarray(3), 3);
  EXPECT_EQ(st.envname(1).view(), "B0000001");  // first-appearance order stays
}

TEST_F(Survey, TypicalIntervalDividesByHits) {
  // Day 1 keeps the day numbers fine enough for an exact 300 seconds.
  survey("2014/01/01,10:00:00,A0000001,-61,1\n2014/01/01,10:10:00,A0000001,-61,1\n");
  EXPECT_NEAR(sv_->st.deltas(1), 300.0F, 0.05F);
  const std::string text = shown();
  EXPECT_NE(text.find(" Sensor number-of-hits typical-interval (sec)\n A0000001 2 "),
            std::string::npos);
}

TEST_F(Survey, ExcludedSensorsNeverEnterTheTable) {
  rs_.nbixsen = 1;
  rs_.ixsen(1) = "4A3F21B0";
  survey(qtv2("10:00:00", "4A3F21B0", 1) + qtv2("10:00:10", "11111111", 1) +
         qtv2("10:01:00", "4A3F21B0", 1));
  EXPECT_EQ(sv_->st.howmany, 1);
  EXPECT_EQ(sv_->st.envname(1).view(), "11111111");
  const std::string text = shown();
  EXPECT_EQ(text.substr(0, 48), " excluding 4A3F21B0\n excluding 4A3F21B0\n \n Error");
}

TEST_F(Survey, MolvaIndicesAndTheirSkips) {
  // Line 1 plays no part in detection; line 2 fixes the layout and the hour.
  survey(molva("20:24:53", 7) + molva("20:25:00", 3) + molva("20:25:10", 7, 11) +
         molva("20:29:53", 7) + molva("20:30:00", 0));
  const SensorTables& st = sv_->st;
  EXPECT_EQ(sv_->fileformat, kFormatMolva);
  EXPECT_EQ(sv_->act, 'b');
  EXPECT_EQ(st.howmany, 2);
  EXPECT_EQ(st.mapsenhits(1), 2);  // the line with 11 packets left is not counted
  EXPECT_EQ(st.mapsenhits(2), 1);
  // Index 0 hits every unused entry and registers nothing.
  EXPECT_EQ(st.mapsenhits(3), 1);
  EXPECT_EQ(st.mapsenhits(70), 1);
  EXPECT_NEAR(st.deltas(1), 150.0F, 2.0F);
  EXPECT_EQ(sv_->first_mark.ithehouris, 20);
  EXPECT_NE(shown().find(" Sensor number-of-hits typical-interval (sec)\n  7 2 "),
            std::string::npos);

  EXPECT_EQ(show_survey(rs_, *sv_), kRunGoesOn);
  std::string counts = " how many sensors found  2 7 3";
  for (int i = 3; i <= 70; ++i) counts += " 0";
  EXPECT_EQ(shown(), counts + "\n");
  EXPECT_EQ(st.mapsentoarray(1), 3);
  EXPECT_EQ(st.mapsentoarray(2), 7);
}

TEST_F(Survey, ASeventyFirstSensorIsRefusedOnce) {
  std::string log;
  for (int i = 1; i <= 72; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "S%07d", i);
    log += qtv2("10:00:00", name, 1) + qtv2("10:01:00", name, 1);
  }
  survey(log);
  EXPECT_EQ(sv_->st.howmany, 70);
  EXPECT_EQ(sv_->st.envname(70).view(), "S0000070");
  const std::string text = shown();
  const std::string w71 = " warning: sensor table full (70 sensors), ignoring sensor S0000071\n";
  const std::string w72 = " warning: sensor table full (70 sensors), ignoring sensor S0000072\n";
  EXPECT_EQ(text.substr(0, w71.size() + w72.size()), w71 + w72);

  // MOLVA indices likewise.
  log.clear();
  for (int i = 1; i <= 71; ++i) log += molva("20:24:53", i) + molva("20:26:53", i);
  survey(log);
  EXPECT_EQ(sv_->st.howmany, 70);
  EXPECT_EQ(sv_->refused_indices.size(), 1U);
  EXPECT_EQ(shown().substr(0, 70),
            " warning: sensor table full (70 sensors), ignoring sensor index 71\n \n ");
}

TEST_F(Survey, TheLineCapEndsTheSurveyWithItsTable) {
  std::string log;
  log.reserve(80001 * 70);
  for (int i = 0; i < 80001; ++i) {
    char hms[16];
    std::snprintf(hms, sizeof hms, "%02d:%02d:%02d", (i / 3600) % 24, (i / 60) % 60, i % 60);
    log += qtv2(hms, i < 80000 ? "A0000001" : "B0000002", 1);
  }
  survey(log);
  EXPECT_EQ(sv_->st.howmany, 1);
  EXPECT_EQ(sv_->st.mapsenhits(1), 80000);
  EXPECT_GT(sv_->st.deltas(1), 0.9F);
  EXPECT_LT(sv_->st.deltas(1), 1.1F);
  const std::string text = shown();
  const std::string head =
      " warning: only the first 80000 lines were surveyed\n"
      " Sensor number-of-hits typical-interval (sec)\n A0000001 80000 ";
  EXPECT_EQ(text.substr(0, head.size()), head);

  // Exactly 80000 lines is a normal end.
  log.resize(log.size() - qtv2("22:13:20", "B0000002", 1).size());
  survey(log);
  EXPECT_EQ(shown().find("warning"), std::string::npos);
}

TEST_F(Survey, RequestedSensorMissing) {
  rs_.irepsen = 9;
  rs_.restrictreport = true;
  survey(molva("20:24:53", 7) + molva("20:25:00", 3));
  shown();
  EXPECT_EQ(show_survey(rs_, *sv_), kExitFailed);
  EXPECT_EQ(shown(), "ERROR: requested sensor not found\n");

  rs_.irepsen = 3;
  survey(molva("20:24:53", 7) + molva("20:25:00", 3));
  EXPECT_TRUE(sv_->foundrestricsensor);
}

TEST_F(Survey, ListingOfActionL) {
  rs_.act = "L";
  rs_.inclux = 0;
  rs_.incpir = 0;
  survey(qtv2("10:00:00", "B0000001", 1) + qtv2("10:00:30", "A0000002", 1));
  shown();
  EXPECT_EQ(show_survey(rs_, *sv_), kRunGoesOn);
  EXPECT_EQ(list_sensors(rs_, *sv_), kExitDone);
  EXPECT_EQ(shown(),
            " sensors found:  2\n"
            "Vantrel summary from MOLVA log\n"
            "# number of sensors  2\n"
            "include,degC\n"
            "ignore,Lux\n"
            ",include,RH\n"
            "ignore,PIR\n"
            "include,SW\n"
            "#  sorted sensor list 2,1\n"
            "# orig sensor list   B0000001,A0000002\n"
            "# sorted sensor list A0000002,B0000001\n"
            "# sorted sensor list 2,1\n"
            "Survey of sensors completed.\n");

  rs_ = RunSettings{};
  rs_.act = "L";
  survey(molva("20:24:53", 1115) + molva("20:25:00", 3));
  shown();
  show_survey(rs_, *sv_);
  list_sensors(rs_, *sv_);
  EXPECT_EQ(shown(),
            " sensors found:  2\n"
            "Vantrel summary from MOLVA log\n"
            "# number of sensors  2\n"
            "include,degC\ninclude,Lux\n,include,RH\n,include,PIR\ninclude,SW\n"
            "# sensor list 3,1115\n"
            "Survey of sensors completed.\n");
}

TEST_F(Survey, ListsAreWrittenWhole) {
  EXPECT_EQ(number_list(std::vector<std::int32_t>{7, 1115, 12, -100, 999}), "7,1115,12,-100,999");
  EXPECT_EQ(number_list(std::vector<std::int32_t>{}), " ");
  std::vector<Text<8>> names;
  std::string expected;
  for (int i = 0; i < 70; ++i) {
    char b[16];
    std::snprintf(b, sizeof b, "N%07d", i);
    names.emplace_back(b);
    expected += (i == 0 ? "" : ",") + std::string(b);
  }
  EXPECT_EQ(name_list(names), expected);  // 630 characters, past the 27 names of 248
  std::vector<std::int32_t> many(70, 1200);
  EXPECT_EQ(number_list(many).size(), 70U * 5 - 1);
}

}  // namespace
}  // namespace vud
