// A real print: the program prints the folder information and a tree branch through its print
// commands on the default printer (the print dialog answered through its seam with that printer's
// device context). scripts/print-pdf-test.sh runs it with a PDF printer and checks the PDFs'
// texts against the lines this program writes to $QV_PRINT_EXPECTED. Without a printer it skips.
#include <windows.h>

#include <commdlg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "app/CommandIds.h"
#include "app/win/QuarvexApp.h"
#include "resource.h"
#include "ui/ModalSeam.h"
#include "ui/UiTestUtil.h"
#include "view/InfoPanelText.h"

namespace qv {
namespace {

// The default printer's device context, or null when there is no printer.
HDC DefaultPrinter() {
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgA(&dialog)) {
        return nullptr;
    }
    GlobalFree(dialog.hDevMode);
    GlobalFree(dialog.hDevNames);
    return dialog.hDC;
}

TEST(PrintPdf, FolderInformationAndTreeOnTheDefaultPrinter) {
    const char* expectedFile = std::getenv("QV_PRINT_EXPECTED");
    HDC probe = DefaultPrinter();
    if (probe == nullptr) {
        GTEST_SKIP() << "no default printer: run scripts/pdf-printer.sh (CUPS with its PDF printer)";
    }
    DeleteDC(probe);

    test::ScratchDir program;
    test::ScratchDir data;
    data.WriteFile("Pictures/Holiday/beach.jpg", 300000);
    data.WriteFile("Pictures/city.jpg", 120000);
    data.WriteFile("Letters/letter.txt", 2000);
    data.WriteFile("readme.txt", 700);
    ui::ModalSeam::Get().Begin();
    // Another test's program may carry our title: the second-copy question gets "No", so this
    // copy goes on; any other box gets its first button of "No", "Cancel" and "OK".
    ui::ModalSeam::Get().OnWindowUp([](HWND window, ui::ModalKind kind) {
        for (int id : {IDNO, IDCANCEL, IDOK}) {
            // The box may not be on screen yet: its buttons' own style tells which it shows.
            const LONG_PTR style = GetWindowLongPtrA(GetDlgItem(window, id), GWL_STYLE);
            if (kind == ui::ModalKind::Message && (style & WS_VISIBLE) != 0) {
                test::PressButton(window, id);
                return;
            }
        }
    });
    auto app = std::make_unique<QuarvexApp>();
    app->SetProgramFolder(program.Path());
    ASSERT_TRUE(app->Start(GetModuleHandleA(nullptr), ""));
    MainShell& shell = app->Shell();
    ui::ModalSeam::Get().QueueAnswer(ui::ModalAnswer::Choose(data.Path()));
    SendMessageA(app->Frame().Window(), WM_COMMAND, cmd::kCreateReport, 0);
    ASSERT_EQ(shell.ReportCount(), 1);
    FolderRecord* root = shell.ReportAt(0)->Root();
    ASSERT_EQ(shell.CurrentRecord(), root);
    shell.Reports()->RunTreeCommand(ID_TREE_EXPAND_ALL, root);

    for (int command : {cmd::kPrintFolderInfo, cmd::kPrintTree}) {
        ui::ModalAnswer answer = ui::ModalAnswer::Button(IDOK);
        answer.dc = DefaultPrinter();
        ASSERT_NE(answer.dc, nullptr);
        ui::ModalSeam::Get().QueueAnswer(answer);
        SendMessageA(app->Frame().Window(), WM_COMMAND, command, 0);
    }
    EXPECT_EQ(test::ShownOf(ui::ModalKind::Print).size(), 2u);  // both print dialogs answered

    // What the two documents must hold, one text a line, for the script to find in the PDFs.
    ASSERT_NE(expectedFile, nullptr) << "QV_PRINT_EXPECTED names the file of expected texts";
    std::ofstream expected(expectedFile, std::ios::binary);
    const std::string path = ReadText(root, ALC);
    // The folder information has the root's rows, filters and direct sub-folders; only the tree
    // shows Holiday, one level further down.
    for (const std::string& text :
         {std::string("Talvorn Quarvex"), "Folder: " + path, std::string("Report created"), std::string("Used Space"),
          std::string("Last accessed"), std::string("Size in bytes"), std::string("03. Documents"),
          std::string("04. Images"), SizeText(ReadStat(root, MFS)), std::string("% Parent"), std::string("Pictures"),
          std::string("Letters"), std::string("Holiday")}) {
        expected << text << "\n";
    }
    app.reset();
    ui::ModalSeam::Get().End();
}

}  // namespace
}  // namespace qv
