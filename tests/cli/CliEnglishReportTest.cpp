// The report in English: every page a reader outside China gets, as poppler reads it.

#include <QTemporaryDir>

#include "Chinese.h"
#include "CliFixture.h"
#include "PdfText.h"
#include "curves/CurveFile.h"

namespace kxtest {
namespace {

class CliEnglishReportTest : public CliFixture {
 protected:
  QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
  // The text of every page; a failure names the first Chinese found.
  QString EnglishText(const QString& pdf) {
    const QString text = PdfText(pdf);
    const qsizetype chinese = kx::test::FirstChinese(text);
    EXPECT_EQ(chinese, -1) << pdf.toStdString() << ": "
                           << text.mid(std::max<qsizetype>(0, chinese - 30), 60).toStdString();
    return text;
  }
  QTemporaryDir dir;
};

TEST_F(CliEnglishReportTest, EveryPageAndTheNoAnswerPageHoldNoChinese) {
  ASSERT_TRUE(dir.isValid());
  const QString bin = Path("discharge.bin"), old = Path("old.bin");
  ASSERT_TRUE(kx::WriteCurveFile(bin.toStdString(), kx::VirtualDevice::MakeDischargeGroup(1717200000).image).ok());
  ASSERT_TRUE(kx::WriteCurveFile(old.toStdString(), kx::VirtualDevice::MakeDischargeGroup(1685600000).image).ok());
  device.SetAlarmWordOverride(0x0105);
  const QString pdf = Path("english.pdf");
  ASSERT_EQ(Run({"report", "--lang", "en", "-o", pdf, "--group", bin, "--baseline", old, "--rated-minutes", "240"}),
            kx::kExitOk)
      << out.err;
  ASSERT_EQ(PdfPages(pdf), 3);
  const QString text = EnglishText(pdf);
  for (const char* expected : {"KX4200 Test Report", "Firmware", "Unit clock", "Live Data (cell voltages, V)",
                               "Cell 40", "Total voltage", "Alarms", "Curve Group", "Cell Statistics (V)",
                               "Discharge Analysis", "Capacity ", "Against the baseline", "Warning: Cell 12",
                               "Cell Ranking", "Page 3 of 3"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;

  device.SetFault(kx::Fault::Silence);
  const QString silent = Path("silent.pdf");
  EXPECT_EQ(Run({"--lang", "en", "report", "-o", silent}), kx::kExitDevice);
  EXPECT_EQ(EnglishText(silent).count("No reply from the unit"), 5);  // the heading and each of the four items
}

}  // namespace
}  // namespace kxtest
