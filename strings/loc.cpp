#include "strings/loc.h"

#include "engine/framework/system.h"

namespace loc {

namespace {
std::string lookup(const char* key, const char* english, const std::string& lang) {
    return fw::GetLocalizedString(key, english, lang);
}
}  // namespace

std::string sizewanted(const std::string& lang) {
    return lookup("loc.sizewanted", "Size wanted:", lang);
}
std::string dimheight(const std::string& lang) {
    return lookup("loc.dimheight", "Height:", lang);
}
std::string dimwidth(const std::string& lang) {
    return lookup("loc.dimwidth", "Width:", lang);
}
std::string folder(const std::string& lang) {
    return lookup("loc.folder", "Folder:", lang);
}
std::string nofolderselected(const std::string& lang) {
    return lookup("loc.nofolderselected", "No folder selected", lang);
}
std::string increase(const std::string& lang) {
    return lookup("loc.increase", "Increase picture size if needed", lang);
}
std::string exportsettings(const std::string& lang) {
    return lookup("loc.exportsettings", "Exportation settings", lang);
}
std::string exportformat(const std::string& lang) {
    return lookup("loc.exportformat", "Export as:", lang);
}
std::string makenameswebready(const std::string& lang) {
    return lookup("loc.makenameswebready", "Make names web-ready", lang);
}
std::string dosformat(const std::string& lang) {
    return lookup("loc.dosformat", "DOS format (8 characters + extension)", lang);
}
std::string resizesettings(const std::string& lang) {
    return lookup("loc.resizesettings", "Resizing settings", lang);
}
std::string proportional(const std::string& lang) {
    return lookup("loc.proportional", "Proportional resizing", lang);
}
std::string sizewantedmenu(const std::string& lang) {
    return lookup("loc.sizewantedmenu",
                  "Biggest (pixel)\rSmallest (pixel)\rWidth (pixel)\rHeight (pixel)\rPercent",
                  lang);
}
std::string boxresizing(const std::string& lang) {
    return lookup("loc.boxresizing", "Box resizing", lang);
}
std::string boxmaxwidth(const std::string& lang) {
    return lookup("loc.boxmaxwidth", "Maximum width:", lang);
}
std::string boxmaxheight(const std::string& lang) {
    return lookup("loc.boxmaxheight", "Maximum height:", lang);
}
std::string independant(const std::string& lang) {
    return lookup("loc.independant", "Independant resizing", lang);
}
std::string menuindependant(const std::string& lang) {
    return lookup("loc.menuindependant", "Pixels\rPercent", lang);
}
std::string jpegquality(const std::string& lang) {
    return lookup("loc.jpegquality", "JPEG Quality:", lang);
}
std::string buttonselect(const std::string& lang) {
    return lookup("loc.buttonselect", "Select", lang);
}
std::string jpegqualitymenu(const std::string& lang) {
    return lookup("loc.jpegqualitymenu", "Excellent (90)\rGood (80)\rDecent (60)\rLow (40)\rCustom",
                  lang);
}
std::string buttongo(const std::string& lang) {
    return lookup("loc.buttongo", "Go", lang);
}
std::string aboutvimbel(const std::string& lang) {
    return lookup("loc.aboutvimbel", "About Vimbel", lang);
}
std::string menuhelp(const std::string& lang) {
    return lookup("loc.menuhelp", "Help", lang);
}
std::string menuvimbelhelp(const std::string& lang) {
    return lookup("loc.menuvimbelhelp", "Vimbel! Help", lang);
}
std::string menufile(const std::string& lang) {
    return lookup("loc.menufile", "File", lang);
}
std::string menuquit(const std::string& lang) {
    return lookup("loc.menuquit", "Quit", lang);
}
std::string menuundo(const std::string& lang) {
    return lookup("loc.menuundo", "Undo", lang);
}
std::string menucopy(const std::string& lang) {
    return lookup("loc.menucopy", "Copy", lang);
}
std::string menupaste(const std::string& lang) {
    return lookup("loc.menupaste", "Paste", lang);
}
std::string menucut(const std::string& lang) {
    return lookup("loc.menucut", "Cut", lang);
}
std::string menuedit(const std::string& lang) {
    return lookup("loc.menuedit", "Edit", lang);
}
std::string menuclear(const std::string& lang) {
    return lookup("loc.menuclear", "Clear", lang);
}
std::string initialbiggest(const std::string& lang) {
    return lookup("loc.initialbiggest", "B", lang);
}
std::string initialsmallest(const std::string& lang) {
    return lookup("loc.initialsmallest", "S", lang);
}
std::string initialwidth(const std::string& lang) {
    return lookup("loc.initialwidth", "W", lang);
}
std::string initialheight(const std::string& lang) {
    return lookup("loc.initialheight", "H", lang);
}
std::string theadprocessing(const std::string& lang) {
    return lookup("loc.theadprocessing", "Processing picture <0> of <1>", lang);
}
std::string theadprocessed(const std::string& lang) {
    return lookup("loc.theadprocessed", "Folder '<0>' processed", lang);
}
std::string lang(const std::string& lang) {
    return lookup("loc.lang", "en", lang);
}
std::string helptitle(const std::string& lang) {
    return lookup("loc.helptitle", "Vimbel! Help", lang);
}
std::string helpindex(const std::string& lang) {
    return lookup("loc.helpindex", "Index", lang);
}
std::string helphistoric(const std::string& lang) {
    return lookup("loc.helphistoric", "Release Notes", lang);
}
std::string helpresizesettings(const std::string& lang) {
    return lookup("loc.helpresizesettings", "Resize Settings", lang);
}
std::string helpexportsettings(const std::string& lang) {
    return lookup("loc.helpexportsettings", "Export Settings", lang);
}
std::string helpfaq(const std::string& lang) {
    return lookup("loc.helpfaq", "FAQ", lang);
}
std::string credittranslation(const std::string& lang) {
    return lookup("loc.credittranslation", "Translations:", lang);
}
std::string creditgerman(const std::string& lang) {
    return lookup("loc.creditgerman", "German: Tovrin", lang);
}
std::string creditspanish(const std::string& lang) {
    return lookup("loc.creditspanish", "Castilian: Brelvan", lang);
}

}  // namespace loc
