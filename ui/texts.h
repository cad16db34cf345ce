// The program's own words, letter for letter.
#pragma once

namespace talvex::texts {

// The caption of the program's message boxes and the tip of its notification icon.
inline constexpr wchar_t kTitle[] = L"Talvex Press 1.0";
// The character count's message alone carries a space after the title.
inline constexpr wchar_t kCountCaption[] = L"Talvex Press 1.0 ";

// The captions of the two frames.
inline constexpr wchar_t kTextFrameCaption[] = L"Texte :";
inline constexpr wchar_t kHistoryFrameCaption[] = L"Liste des éléments copier :";

// Said when "Réduire" cannot hide the window: the notification icon is the only way back.
inline constexpr char16_t kCannotHide[] =
    u"La fenêtre ne peut pas être réduite : l'icône de la zone de notification n'a pas pu "
    u"être ajoutée, et c'est par elle que la fenêtre revient.\r\n\r\n"
    u"Talvex Press reste ouvert.";

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

}  // namespace talvex::texts
