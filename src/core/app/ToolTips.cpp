#include "core/app/ToolTips.h"

std::string RefreshModeName(int16_t mode) {
  switch (mode) {
    case 0:
      return "Normal";
    case 1:
      return "If Expired";
    case 3:
      return "Completely";
    default:
      return "";
  }
}

std::string RefreshToolTip(int16_t mode) {
  return "Refresh Page: " + RefreshModeName(mode) + " (Right-Click To Change Mode)";
}

std::array<std::string, 56> BuildToolTipTexts(const std::string& title, int16_t refreshMode,
                                              const std::string& mailName) {
  std::array<std::string, 56> t;
  t[0] = "Show Menu";
  t[1] = "Internet Connection State & Force Dialer";
  t[2] = " min. = Refresh Interval (Dbl Click - Timer On-Off)";
  t[3] = "Inc./Dec. Refresh Interval";
  t[4] = "Minutes Until Next Refresh - (Dbl Click To Reset = To Interval)";
  t[5] = "Opens - Edit Category & Site Selector Lists- Window";
  t[6] = RefreshToolTip(refreshMode);
  t[7] = "Back";
  t[8] = "Forward";
  t[9] = "Hide/Show ToolBar";
  t[10] = "Address Box";
  t[11] = "Show/Hide Site Selector";
  t[12] = "Go To URL Address";
  t[13] = "Adds Category Entered In TextBox To The Category List";
  t[14] = "Enter A New Category, Then Click The - Enter A New Category - Button To Add It To The List";
  t[15] = "Delete The Selected Category And Its Site List";
  t[16] = "Adds The Address Of The Page Currently Displayed In The " + title + " To The List, Below";
  t[17] = "Select Destination Category For - Move To / Copy To - Menu Functions";
  t[18] = "Delete The Selected Site(s) From The Site List, Below";
  t[19] = "Adds Web Address (URL) Entered In TextBox To The Current Site List, Above";
  t[20] = "Enter A New Web Address (URL), Then Click The - Enter A Web Address - Button To Add It To The List";
  t[21] = "Resize List - UP (Bottom List Larger)";
  t[22] = "Resize List - Down (Bottom List Smaller)";
  t[23] = "Select And Add -Internet Explorer Favorites- To List Below";
  t[24] = "Back Up - Copies Your Category And Site List Files To " + title + "'s Back-Up Dir";
  t[25] = "Restore - Replaces Your Current Category And Site List Files With The Back-Up Copies";
  t[26] = "New Window (Open Next Page In)";
  t[27] = "Full Screen (Open Next Page In)";
  t[28] = "Select The Time Period To Use In A Search";
  t[29] = "Select A Sort Order Or A Type Of Text Search";
  t[30] = "Begin A Sort Or A Text Search And Load List";
  t[31] = "Enter Text To Search For Here";
  t[32] = "Add The Item(s) Selected In The History Window To The Category Selected Here";
  t[33] = "If Checked, A Single Mouse Click Will Start Navigate To Selected URL";
  t[34] = "If Checked, Will Push Up Today's List When New Items Are Added.";
  t[35] = "If Checked, Search Return Will Show Any Duplicate Url's (On Different Days)";
  t[36] = "Close";
  t[37] = "Add Page To A Site Selector Category";
  t[38] = title + " - Full Screen Window";
  t[39] = "Dock Window Top-Left Corner";
  t[40] = "Refresh Page";
  t[41] = "Forward";
  t[42] = "Back";
  t[43] = "Stop Page Download, Music (Right-Click To Cycle) (Key=ESC)";
  t[44] = "Find (On This Page) (Right-Click To Cycle) (Key=Ctrl+F)";
  t[45] = "Navigate To Current Page In FullScreen Window (Right-Click To Cycle)";
  t[46] = "Open History Window (Right-Click To Cycle)";
  t[47] = "Open " + mailName + " (Right-Click To Cycle)";
  t[48] = "Work Offline (Right-Click To Cycle)";
  t[49] = "Show/Hide (Swap)Timer Controls or Cycle Buttons";
  t[50] = "Show/Hide Check-Boxes";
  t[51] = "Time (Dbl-Clk On/Off) (Right-Clk Local/UTC)";
  t[52] = "Disable History Logging = Red (Dbl-Clk On/Off)";
  return t;
}
