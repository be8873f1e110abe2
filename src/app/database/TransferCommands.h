#pragma once
// The import and export wizards, created once: reached from the main menu's
// "Import Data..." and "Export Data..." and from the Database view's File
// menu, each with the card table closed while the wizard works on its files.
class TForm1;
class Tdataview;
class Timportform;
class Texportform;

namespace vellora {

struct TransferWindows {
    Timportform *importWizard = nullptr;
    Texportform *exportWizard = nullptr;
};

TransferWindows InstallDataTransferCommands(TForm1 &main, Tdataview *view);

}  // namespace vellora
