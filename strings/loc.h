#pragma once

#include <string>

// The program's user-visible texts, one accessor per key. Each asks the framework's
// localised-string lookup with the key, the English text and the language, and returns its answer
// unchanged. Callable from any thread.
namespace loc {

[[nodiscard]] std::string sizewanted(const std::string& lang);
[[nodiscard]] std::string dimheight(const std::string& lang);
[[nodiscard]] std::string dimwidth(const std::string& lang);
[[nodiscard]] std::string folder(const std::string& lang);
[[nodiscard]] std::string nofolderselected(const std::string& lang);
[[nodiscard]] std::string increase(const std::string& lang);
[[nodiscard]] std::string exportsettings(const std::string& lang);
[[nodiscard]] std::string exportformat(const std::string& lang);
[[nodiscard]] std::string makenameswebready(const std::string& lang);
[[nodiscard]] std::string dosformat(const std::string& lang);
[[nodiscard]] std::string resizesettings(const std::string& lang);
[[nodiscard]] std::string proportional(const std::string& lang);
[[nodiscard]] std::string sizewantedmenu(const std::string& lang);
[[nodiscard]] std::string boxresizing(const std::string& lang);
[[nodiscard]] std::string boxmaxwidth(const std::string& lang);
[[nodiscard]] std::string boxmaxheight(const std::string& lang);
[[nodiscard]] std::string independant(const std::string& lang);
[[nodiscard]] std::string menuindependant(const std::string& lang);
[[nodiscard]] std::string jpegquality(const std::string& lang);
[[nodiscard]] std::string buttonselect(const std::string& lang);
[[nodiscard]] std::string jpegqualitymenu(const std::string& lang);
[[nodiscard]] std::string buttongo(const std::string& lang);
[[nodiscard]] std::string aboutvimbel(const std::string& lang);
[[nodiscard]] std::string menuhelp(const std::string& lang);
[[nodiscard]] std::string menuvimbelhelp(const std::string& lang);
[[nodiscard]] std::string menufile(const std::string& lang);
[[nodiscard]] std::string menuquit(const std::string& lang);
[[nodiscard]] std::string menuundo(const std::string& lang);
[[nodiscard]] std::string menucopy(const std::string& lang);
[[nodiscard]] std::string menupaste(const std::string& lang);
[[nodiscard]] std::string menucut(const std::string& lang);
[[nodiscard]] std::string menuedit(const std::string& lang);
[[nodiscard]] std::string menuclear(const std::string& lang);
[[nodiscard]] std::string initialbiggest(const std::string& lang);
[[nodiscard]] std::string initialsmallest(const std::string& lang);
[[nodiscard]] std::string initialwidth(const std::string& lang);
[[nodiscard]] std::string initialheight(const std::string& lang);
[[nodiscard]] std::string theadprocessing(const std::string& lang);
[[nodiscard]] std::string theadprocessed(const std::string& lang);
[[nodiscard]] std::string lang(const std::string& lang);
[[nodiscard]] std::string helptitle(const std::string& lang);
[[nodiscard]] std::string helpindex(const std::string& lang);
[[nodiscard]] std::string helphistoric(const std::string& lang);
[[nodiscard]] std::string helpresizesettings(const std::string& lang);
[[nodiscard]] std::string helpexportsettings(const std::string& lang);
[[nodiscard]] std::string helpfaq(const std::string& lang);
[[nodiscard]] std::string credittranslation(const std::string& lang);
[[nodiscard]] std::string creditgerman(const std::string& lang);
[[nodiscard]] std::string creditspanish(const std::string& lang);

}  // namespace loc
