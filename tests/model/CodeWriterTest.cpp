#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/ResizeCode.h"

namespace tolvane {
namespace {

ControlRow Row(const std::string& ref, const std::string& options) {
    ControlRow row;
    row.controlRef = ref;
    row.included = 1;
    const struct {
        const char* code;
        CheckState ControlRow::*box;
    } codes[] = {{"LM", &ControlRow::moveH}, {"LR", &ControlRow::sizeH}, {"LS", &ControlRow::scaleH},
                 {"UM", &ControlRow::moveV}, {"UR", &ControlRow::sizeV}, {"US", &ControlRow::scaleV}};
    for (const auto& code : codes)
        if (options.find(code.code) != std::string::npos) row.*(code.box) = 1;
    return row;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

const std::string kGuard = "If Me.WindowState <> vbMinimized And iFormScaleWidth <> 0 And iFormScaleHeight <> 0 Then";

// The default text, line by line, for each place a control may sit in.
struct WorkingCase {
    const char* what;
    std::vector<ControlRow> rows;
    CodeOptions options;
    std::vector<std::string> load;    // the lines after the header
    std::vector<std::string> resize;  // inside the guard
};

const WorkingCase kWorking[] = {
    {"on the form: its inside in its own units, a width clamped at 0, a proportion",
     {Row("Command1", "LM,UM"), Row("Text1", "LR"), Row("List1(2)", "UR,US")},
     {},
     {"iCommand1_Left = Command1.Left", "iCommand1_Top = Command1.Top", "iText1_Width = Text1.Width",
      "iList1_2__Height = List1(2).Height"},
     {"    Command1.Left = Me.ScaleWidth - (iFormScaleWidth - iCommand1_Left)",
      "    Command1.Top = Me.ScaleHeight - (iFormScaleHeight - iCommand1_Top)",
      "    If Me.ScaleWidth - (iFormScaleWidth - iText1_Width) > 0 Then Text1.Width = Me.ScaleWidth - (iFormScaleWidth - "
      "iText1_Width) Else Text1.Width = 0",
      "    List1(2).Height = Me.ScaleHeight * (iList1_2__Height / iFormScaleHeight)"}},
    {"in a frame, scaled: a proportion of the form's inside",
     {Row("fraMain", ""), Row("chkA", "LM,LS")},
     {CodeStyle::kWorking, false, 3, {{-1}, {0}}},
     {"ichkA_Left = chkA.Left"},
     {"    chkA.Left = Me.ScaleWidth * (ichkA_Left / iFormScaleWidth)"}},
    {"in a frame: moved by the form's outer change in twips",
     {Row("fraMain", ""), Row("chkA", "LM")},
     {CodeStyle::kWorking, false, 3, {{-1}, {0}}},
     {"ichkA_Left = chkA.Left"},
     {"    chkA.Left = Me.Width - (iFormWidth - ichkA_Left)"}},
    {"in a picture box in pixels: the change converted into its units",
     {Row("picBar", ""), Row("cmdGo", "UM")},
     {CodeStyle::kWorking, false, 1, {{-1, ContainerKind::kPictureBox, 3}, {0}}},
     {"icmdGo_Top = cmdGo.Top"},
     {"    cmdGo.Top = icmdGo_Top + picBar.ScaleY(Me.Height - iFormHeight, vbTwips, vbPixels)"}},
    {"on a tab control: recorded where its page shows it, kept on whichever page is shown",
     {Row("tabMain", ""), Row("txtName", "LM,LR")},
     {CodeStyle::kWorking, false, 1, {{-1, ContainerKind::kTabs}, {0}}},
     {"itxtName_Left = txtName.Left", "If itxtName_Left < -37500 Then itxtName_Left = itxtName_Left + 75000",
      "itxtName_Width = txtName.Width"},
     {"    If txtName.Left < itxtName_Left - 37500 Then txtName.Left = Me.Width - (iFormWidth - itxtName_Left) - 75000 "
      "Else txtName.Left = Me.Width - (iFormWidth - itxtName_Left)",
      "    If Me.Width - (iFormWidth - itxtName_Width) > 0 Then txtName.Width = Me.Width - (iFormWidth - itxtName_Width) "
      "Else txtName.Width = 0"}},
    {"following a frame on a pixel form: the frame's change in pixels converted to twips",
     {Row("fraMain", "LR"), Row("chkA", "LM")},
     {CodeStyle::kWorking, true, 3, {{-1}, {0}}},
     {"ifraMain_Width = fraMain.Width", "ichkA_Left = chkA.Left"},
     {"    If Me.ScaleWidth - (iFormScaleWidth - ifraMain_Width) > 0 Then fraMain.Width = Me.ScaleWidth - "
      "(iFormScaleWidth - ifraMain_Width) Else fraMain.Width = 0",
      "    chkA.Left = ichkA_Left + Me.ScaleX(fraMain.Width - ifraMain_Width, vbPixels, vbTwips)"}},
    {"following a picture box, proportionally, on a tab page: the guard as a block",
     {Row("picData", ""), Row("tab1", ""), Row("lblA", "LM,LS")},
     {CodeStyle::kWorking, true, 1, {{1, ContainerKind::kPictureBox, 1}, {-1, ContainerKind::kTabs}, {1}}},
     {"itab1_Width = tab1.Width", "ilblA_Left = lblA.Left", "If ilblA_Left < -37500 Then ilblA_Left = ilblA_Left + 75000"},
     {"    If itab1_Width <> 0 Then", "        If lblA.Left < ilblA_Left - 37500 Then lblA.Left = tab1.Width * (ilblA_Left / "
      "itab1_Width) - 75000 Else lblA.Left = tab1.Width * (ilblA_Left / itab1_Width)", "    End If"}},
};

TEST(WorkingCode, WritesEachPlaceInItsUnits) {
    for (const WorkingCase& test : kWorking) {
        std::vector<ControlRow> rows = test.rows;
        for (ControlRow& row : rows) row.included = row.moveH || row.sizeH || row.moveV || row.sizeV;
        const GeneratedCode code = GenerateResizeCode("Form1", rows, test.options);
        const std::string header = Lines({"iFormWidth = Me.Width", "iFormHeight = Me.Height",
                                          "iFormScaleWidth = Me.ScaleWidth", "iFormScaleHeight = Me.ScaleHeight", ""});
        EXPECT_EQ(code.onLoad, header + Lines(test.load)) << test.what;
        std::vector<std::string> resize = {kGuard};
        resize.insert(resize.end(), test.resize.begin(), test.resize.end());
        resize.push_back("End If");
        EXPECT_EQ(code.onResize, Lines(resize)) << test.what;
        EXPECT_EQ(code.declarations.substr(0, 29), "Dim iFormWidth As Single\r\nDim") << test.what;
        EXPECT_EQ(code.declarations.find("integer"), std::string::npos) << test.what;
    }
    EXPECT_EQ(GenerateResizeCode("Form1", {}, CodeOptions{}).onResize, "");
}

// A UserForm: points everywhere, the inside measured, a "sizes recorded" flag, containers
// followed by their inside (a page named through its multi-page).
TEST(UserFormCode, MeasuresInsidesInPointsBehindAFlag) {
    std::vector<ControlRow> rows = {Row("cmdOK", "LM,UM"), Row("fraMain", "LR"), Row("chkA", "LM,LS"),
                                    Row("mpgTabs", ""), Row("Page1", ""), Row("txtName", "LR")};
    rows[3].included = rows[4].included = 0;
    CodeOptions options{CodeStyle::kWorking, true, vb::kTwips, {{-1}, {-1}, {1}, {-1}, {3}, {4}}};
    options.places[4].reference = "mpgTabs.Pages(\"Page1\")";
    options.target = CodeTarget::kUserForm;
    const GeneratedCode code = GenerateResizeCode("UserForm1", rows, options);
    EXPECT_TRUE(code.declarations.starts_with("Dim bSizesRecorded As Boolean\r\nDim iFormInsideWidth As Single\r\n"
                                              "Dim iFormInsideHeight As Single\r\n\r\n"));
    EXPECT_EQ(code.onLoad, Lines({"iFormInsideWidth = Me.InsideWidth", "iFormInsideHeight = Me.InsideHeight", "",
                                  "icmdOK_Left = cmdOK.Left", "icmdOK_Top = cmdOK.Top", "ifraMain_Width = fraMain.Width",
                                  "ifraMain_InsideWidth = fraMain.InsideWidth", "ichkA_Left = chkA.Left",
                                  "iPage1_InsideWidth = mpgTabs.Pages(\"Page1\").InsideWidth",
                                  "itxtName_Width = txtName.Width", "bSizesRecorded = True"}));
    EXPECT_EQ(code.onResize,
              Lines({"If bSizesRecorded And Me.InsideWidth > 0 And Me.InsideHeight > 0 Then",
                     "    cmdOK.Left = Me.InsideWidth - (iFormInsideWidth - icmdOK_Left)",
                     "    cmdOK.Top = Me.InsideHeight - (iFormInsideHeight - icmdOK_Top)",
                     "    If Me.InsideWidth - (iFormInsideWidth - ifraMain_Width) > 0 Then fraMain.Width = Me.InsideWidth - "
                     "(iFormInsideWidth - ifraMain_Width) Else fraMain.Width = 0",
                     "    If ifraMain_InsideWidth <> 0 Then chkA.Left = fraMain.InsideWidth * (ichkA_Left / "
                     "ifraMain_InsideWidth)",
                     "    If mpgTabs.Pages(\"Page1\").InsideWidth - (iPage1_InsideWidth - itxtName_Width) > 0 Then "
                     "txtName.Width = mpgTabs.Pages(\"Page1\").InsideWidth - (iPage1_InsideWidth - itxtName_Width) Else "
                     "txtName.Width = 0",
                     "End If"}));
    EXPECT_EQ(EventProceduresOf(CodeTarget::kUserForm).load, "UserForm_Initialize");

    // Made resizable: the Declares of both bitnesses, GetWindowLongPtrA itself only in 64-bit
    // Office, and the style set after the sizes are recorded.
    options.resizable = true;
    const GeneratedCode resizable = GenerateResizeCode("UserForm1", rows, options);
    const std::string& d = resizable.declarations;
    const auto win64 = d.find("#If Win64 Then"), win32 = d.find("#Else", win64);
    ASSERT_NE(win64, std::string::npos);
    EXPECT_EQ(d.find("Function GetWindowLongPtrA Lib \"user32\" (ByVal"), d.find("Function GetWindowLongPtrA", win64));
    EXPECT_LT(d.find("Function GetWindowLongPtrA Lib \"user32\" (ByVal"), win32);
    auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (auto at = d.find(what); at != std::string::npos; at = d.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("#If "), 2u);
    EXPECT_EQ(count("#End If"), 2u);
    EXPECT_LT(resizable.onLoad.find("itxtName_Width = "), resizable.onLoad.find("FindWindowA(vbNullString"));
    EXPECT_EQ(resizable.onResize, code.onResize);
}

// The plain text of containers that their contents follow is the text this product has always
// written: containers first, their inside recorded once.
TEST(PlainCode, ContainersComeFirstAndTheirContentsFollowTheirInnerSize) {
    std::vector<ControlRow> rows = {Row("picData", "LM,LR,LS"), Row("chkA", "LM,UM,US"), Row("fraMain(0)", "LR"),
                                    Row("fraSide", ""), Row("lblSide", "LR")};
    rows[3].included = 0;
    const CodeOptions options{CodeStyle::kPlain, true, vb::kTwips,
                              {{2, ContainerKind::kPictureBox}, {0}, {-1}, {-1}, {3}}};
    const GeneratedCode plain = GenerateResizeCode("frmMain", rows, options);
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
}

// The add-in's original text, written from its line tables independently of the writer.
GeneratedCode ReferenceText(const std::string& form, const std::vector<ControlRow>& rows) {
    GeneratedCode code;
    for (const char* p : {"Width", "Height", "ScaleWidth", "ScaleHeight"}) {
        code.declarations += std::string("Dim iForm") + p + " as integer\r\n";
        code.onLoad += std::string("iForm") + p + " = " + form + "." + p + "\r\n";
    }
    code.declarations += "\r\n", code.onLoad += "\r\n";
    const std::vector<std::string> stems = RowStems(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& r = rows[i];
        if (!IsSet(r.included)) continue;
        const std::string v = "i" + stems[i];
        for (const auto& [set, p] : {std::pair{r.moveH, "Left"}, {r.moveV, "Top"}, {r.sizeH, "Width"}, {r.sizeV, "Height"}})
            if (IsSet(set)) {
                code.declarations += "Dim " + v + "_" + p + " as integer\r\n";
                code.onLoad += v + "_" + p + " = " + r.controlRef + "." + p + "\r\n";
            }
        const struct {
            CheckState set, scale;
            const char *p, *measure;
        } lines[] = {{r.moveH, r.scaleH, "Left", "Width"}, {r.sizeH, r.scaleH, "Width", "Width"},
                     {r.moveV, r.scaleV, "Top", "Height"}, {r.sizeV, r.scaleV, "Height", "Height"}};
        for (const auto& l : lines) {
            if (!IsSet(l.set)) continue;
            const std::string now = form + "." + l.measure, recorded = std::string("iForm") + l.measure;
            code.onResize += r.controlRef + "." + l.p + " = " +
                             (IsSet(l.scale) ? now + " * (" + v + "_" + l.p + " / " + recorded + ")"
                                             : now + " - (" + recorded + " - " + v + "_" + l.p + ")") + "\r\n";
        }
    }
    return code;
}

TEST(PlainCode, IsTheOriginalTextOnRandomGrids) {
    std::mt19937 random(7);
    for (int n = 0; n < 300; ++n) {
        std::vector<ControlRow> rows(random() % 60);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            // Few names, so that stems clash as well.
            rows[i].controlRef = random() % 3 ? "Cmd" + std::to_string(random() % 8) : "opt(" + std::to_string(random() % 8) + ")";
            for (CheckState* box : {&rows[i].included, &rows[i].moveH, &rows[i].sizeH, &rows[i].scaleH, &rows[i].moveV,
                                    &rows[i].sizeV, &rows[i].scaleV})
                *box = static_cast<CheckState>(random() % 3);
        }
        CodeOptions plain;
        plain.style = CodeStyle::kPlain;
        EXPECT_EQ(GenerateResizeCode("frmMain", rows, plain), ReferenceText("frmMain", rows)) << n;
    }
}

}  // namespace
}  // namespace tolvane
