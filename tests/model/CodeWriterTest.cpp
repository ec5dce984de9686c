#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "model/CodeVariant.h"
#include "model/Evaluator.h"
#include "tests/model/MapObjects.h"

namespace tolvane {
namespace {

using testing::MapObjects;

ControlRow Row(const std::string& ref, bool moveH, bool sizeH, bool scaleH, bool moveV = false, bool sizeV = false,
               bool scaleV = false) {
    ControlRow row;
    row.controlRef = ref;
    row.included = 1;
    row.moveH = moveH, row.sizeH = sizeH, row.scaleH = scaleH, row.moveV = moveV, row.sizeV = sizeV, row.scaleV = scaleV;
    return row;
}

TEST(CodeVariant, RobustCodeIsTheAddInsWithLongsAndGuards) {
    const std::vector<ControlRow> rows = {Row("Command1", true, false, false), Row("Text1", false, true, false),
                                          Row("List1(2)", false, false, false, false, true, true)};
    const GeneratedCode code = GenerateResizeCode("Form1", rows, CodeVariant{true, {}});
    EXPECT_EQ(code.declarations.substr(code.declarations.rfind("Dim ")), "Dim iList1_2__Height as Long\r\n");
    EXPECT_EQ(code.onLoad, GenerateResizeCode("Form1", rows).onLoad);
    EXPECT_EQ(code.onResize,
              "If Form1.WindowState = vbMinimized Or iFormWidth = 0 Or iFormHeight = 0 Then Exit Sub\r\n"
              "Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)\r\n"
              "If Form1.Width - (iFormWidth - iText1_Width) > 0 Then Text1.Width = Form1.Width - (iFormWidth - "
              "iText1_Width) Else Text1.Width = 0\r\n"
              "List1(2).Height = Form1.Height * (iList1_2__Height / iFormHeight)\r\n");
    EXPECT_EQ(GenerateResizeCode("Form1", {}, CodeVariant{true, {}}).onResize, "");
}

// fraMain(0) holds picData, which holds chkA; fraMain is listed after picData, and the frame
// picked for its contents (fraSide) is not itself picked.
TEST(CodeVariant, ContainersComeFirstAndTheirContentsFollowTheirInnerSize) {
    std::vector<ControlRow> rows = {Row("picData", true, true, true), Row("chkA", true, false, false, true, false, true),
                                    Row("fraMain(0)", false, true, false), Row("fraSide", false, false, false),
                                    Row("lblSide", false, true, false)};
    rows[3].included = 0;
    const std::vector<RowPlacement> placement = {{2, true}, {0, false}, {-1, false}, {-1, false}, {3, false}};

    const GeneratedCode plain = GenerateResizeCode("frmMain", rows, CodeVariant{false, placement});
    EXPECT_EQ(plain.onLoad.substr(plain.onLoad.find("\r\n\r\n") + 4),
              "ifraMain_0__Width = fraMain(0).Width\r\nipicData_Left = picData.Left\r\n"
              "ipicData_Width = picData.Width\r\nipicData_ScaleWidth = picData.ScaleWidth\r\n"
              "ipicData_ScaleHeight = picData.ScaleHeight\r\nichkA_Left = chkA.Left\r\nichkA_Top = chkA.Top\r\n"
              "ifraSide_Width = fraSide.Width\r\nilblSide_Width = lblSide.Width\r\n");
    EXPECT_EQ(plain.onResize,
              "fraMain(0).Width = frmMain.Width - (iFormWidth - ifraMain_0__Width)\r\n"
              "picData.Left = fraMain(0).Width * (ipicData_Left / ifraMain_0__Width)\r\n"
              "picData.Width = fraMain(0).Width * (ipicData_Width / ifraMain_0__Width)\r\n"
              "chkA.Left = picData.ScaleWidth - (ipicData_ScaleWidth - ichkA_Left)\r\n"
              "chkA.Top = picData.ScaleHeight * (ichkA_Top / ipicData_ScaleHeight)\r\n"
              "lblSide.Width = fraSide.Width - (ifraSide_Width - ilblSide_Width)\r\n");
    EXPECT_NE(plain.declarations.find("Dim ipicData_ScaleHeight as integer\r\n"), std::string::npos);

    const GeneratedCode robust = GenerateResizeCode("frmMain", rows, CodeVariant{true, placement});
    EXPECT_NE(robust.onResize.find("If ifraMain_0__Width <> 0 Then picData.Left = fraMain(0).Width * (ipicData_Left / "
                                   "ifraMain_0__Width)\r\n"),
              std::string::npos);
    EXPECT_NE(robust.onResize.find("If fraSide.Width - (ifraSide_Width - ilblSide_Width) > 0 Then lblSide.Width = "),
              std::string::npos);
}

// A form of random controls and picks, as the evaluator sees it.
struct Grid {
    double width = 0, height = 0;  // the form's outer design size
    std::vector<ControlRow> rows;
    MapObjects objects;
};

constexpr const char* kGeometry[] = {"Left", "Top", "Width", "Height"};

Grid RandomGrid(std::mt19937& random, bool wide) {
    auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    Grid grid;
    grid.width = std::round(wide ? uniform(32800, 45000) : uniform(1200, 16000));
    grid.height = std::round(uniform(900, 12000));
    grid.objects.Set("F", "WindowState", 0);
    const int count = std::uniform_int_distribution<int>(1, 12)(random);
    for (int i = 0; i < count; ++i) {
        const std::string ref = i % 3 == 2 ? "A(" + std::to_string(i) + ")" : "C" + std::to_string(i);
        ControlRow row = Row(ref, random() % 2, random() % 2, random() % 2, random() % 2, random() % 2, random() % 2);
        grid.rows.push_back(row);
        // Controls may start left of the form or beyond its far edge, as on hidden tab pages.
        grid.objects.Set(ref, "Left", std::round(uniform(-grid.width / 3, grid.width)));
        grid.objects.Set(ref, "Top", std::round(uniform(-grid.height / 3, grid.height)));
        grid.objects.Set(ref, "Width", std::round(uniform(0, grid.width / 2)));
        grid.objects.Set(ref, "Height", std::round(uniform(0, grid.height / 2)));
    }
    return grid;
}

void SizeForm(MapObjects& objects, double width, double height, bool minimized = false) {
    objects.Set("F", "Width", width);
    objects.Set("F", "Height", height);
    objects.Set("F", "ScaleWidth", minimized ? 0 : std::max(0.0, width - 120));
    objects.Set("F", "ScaleHeight", minimized ? 0 : std::max(0.0, height - 405));
    objects.Set("F", "WindowState", minimized ? 1 : 0);
}

struct FormRunState {
    Evaluator evaluator;
    MapObjects objects;
    std::vector<RunError> errors;
};

// Load at the design size and the Resize that follows it.
FormRunState Loaded(const Grid& grid, const GeneratedCode& code) {
    FormRunState run{Evaluator{}, grid.objects, {}};
    SizeForm(run.objects, grid.width, grid.height);
    run.evaluator.Declare(code.declarations);
    for (const auto* block : {&code.onLoad, &code.onResize}) {
        const auto result = run.evaluator.Run(*block, run.objects);
        run.errors.insert(run.errors.end(), result.errors.begin(), result.errors.end());
    }
    return run;
}

FormRunState ResizedTo(const FormRunState& loaded, const GeneratedCode& code, double width, double height, bool minimized) {
    FormRunState run = loaded;
    SizeForm(run.objects, width, height, minimized);
    const auto result = run.evaluator.Run(code.onResize, run.objects);
    run.errors.insert(run.errors.end(), result.errors.begin(), result.errors.end());
    return run;
}

struct Size {
    double width, height;
    bool minimized;
};

std::vector<Size> SizesFor(const Grid& grid) {
    std::vector<Size> sizes = {{2400, 360, true}, {40000, 40000, false}, {40000, grid.height, false}};
    for (int percent = 10; percent <= 300; percent += 10)
        sizes.push_back({std::round(grid.width * percent / 100), std::round(grid.height * (310 - percent) / 100), false});
    return sizes;
}

// Robust code raises no error at any size, keeps every control where it is at the design
// size, and does what the add-in's code does wherever that raises no error.
TEST(CodeVariant, RobustCodeNeverFailsAndMatchesTheAddInsWhereThatWorks) {
    std::mt19937 random(20240612);
    int plainFailures[2] = {0, 0};  // 380, 6
    for (int n = 0; n < 120; ++n) {
        const Grid grid = RandomGrid(random, n % 4 == 3);
        const GeneratedCode robust = GenerateResizeCode("F", grid.rows, CodeVariant{true, {}});
        const GeneratedCode plain = GenerateResizeCode("F", grid.rows);
        const FormRunState robustLoaded = Loaded(grid, robust);
        const FormRunState plainLoaded = Loaded(grid, plain);
        ASSERT_TRUE(robustLoaded.errors.empty()) << robustLoaded.errors[0].statement;
        const FormRunState minimized = ResizedTo(robustLoaded, robust, 2400, 360, true);
        for (const ControlRow& row : grid.rows)
            for (const char* property : kGeometry) {
                ASSERT_EQ(robustLoaded.objects.Get(row.controlRef, property), grid.objects.Get(row.controlRef, property))
                    << row.controlRef << "." << property;
                ASSERT_EQ(minimized.objects.Get(row.controlRef, property), grid.objects.Get(row.controlRef, property));
            }

        for (const Size& size : SizesFor(grid)) {
            const FormRunState robustRun = ResizedTo(robustLoaded, robust, size.width, size.height, size.minimized);
            const FormRunState plainRun = ResizedTo(plainLoaded, plain, size.width, size.height, size.minimized);
            ASSERT_TRUE(robustRun.errors.empty()) << robustRun.errors[0].statement << " at " << size.width;
            for (const RunError& error : plainRun.errors) ++plainFailures[error.number == kVbOverflow];
            if (!plainRun.errors.empty() || size.minimized) continue;
            // Integer / Integer is a Single in VB, Long / Long a Double: a proportional line
            // may differ in the last digit of a Single.
            for (const ControlRow& row : grid.rows)
                for (const char* property : kGeometry) {
                    const double a = *robustRun.objects.Get(row.controlRef, property);
                    const double b = *plainRun.objects.Get(row.controlRef, property);
                    ASSERT_NEAR(a, b, 1e-6 * std::max(1.0, std::fabs(b)))
                        << row.controlRef << "." << property << " at " << size.width << " x " << size.height;
                }
        }
    }
    // The same check finds the add-in's code failing: shrunk or minimised (380), or designed
    // wider than an Integer holds (6).
    EXPECT_GT(plainFailures[0], 0);
    EXPECT_GT(plainFailures[1], 0);
}

}  // namespace
}  // namespace tolvane
