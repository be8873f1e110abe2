#pragma once
// The main menu's "Edit Database": the Database view (Tdataview) with the
// table tools and backup commands it offers.
class TForm1;
class Tdataview;

namespace vellora {

// Makes the Database view (owned by the main window's lifetime) and gives
// the main menu's item its command. Returns the view.
Tdataview *InstallDatabaseCommands(TForm1 &main);

}  // namespace vellora
