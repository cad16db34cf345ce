// The program's own words, letter for letter.
#pragma once

namespace talvex::texts {

// The caption of the program's message boxes and the tip of its notification icon.
inline constexpr wchar_t kTitle[] = L"Talvex Press 1.0";
// The character count's message alone carries a space after the title.
inline constexpr wchar_t kCountCaption[] = L"Talvex Press 1.0 ";

inline constexpr char16_t kAnotherInstance[] =
    u"Vous ne pouvez pas éxécuter cette application deux fois!!";
inline constexpr char16_t kQuitQuestion[] = u"Etes vous sûre de quitter Talvex Press ?";
// Nine lines joined by a lone carriage return.
inline constexpr char16_t kAbout[] =
    u"Talvex Press est un utilitaire de press papier, très facile à utiliser et très efficace.\r"
    u"Ce logiciel permet une meilleure gestion de la presse papier, vous ne serez pas \r"
    u"obliger à réécrire ce que vous avez copier.\r"
    u" Vous pouvez manipuler la forme du press papier : majuscule, miniscule...\r"
    u"_____________________________________________________________\r"
    u"Équipe Talvex\r"
    u"Auteur : l'équipe Talvex\r"
    u"Site Web : http://www.example.com\r"
    u"Email : talvex@example.com";
inline constexpr wchar_t kHelpAddress[] = L"http://www.example.com/Download/Windows/TalvexPress";

// The popup menu of the notification icon; an ampersand marks the access letter.
inline constexpr wchar_t kMnuMenu[] = L"Menu";
inline constexpr wchar_t kMnuAffiche[] = L"&Afficher";
inline constexpr wchar_t kMnuTools[] = L"Outils";
inline constexpr wchar_t kMnuUpper[] = L"&Majuscule";
inline constexpr wchar_t kMnulower[] = L"&Minuscule";
inline constexpr wchar_t kMnuproper[] = L"&Debut majuscule";
inline constexpr wchar_t kMnunbrechar[] = L"&Nombre de caratères";
inline constexpr wchar_t kMnuhelp[] = L"&Aide";
inline constexpr wchar_t kMnupropos[] = L"A &propos";
inline constexpr wchar_t kMnuefface[] = L"&Effacer tout";
inline constexpr wchar_t kMnuexit[] = L"&Quitter";

}  // namespace talvex::texts
