// The program's own words, letter for letter: everything it says to the user is here, and only
// here. The rest of the program names kinds of message and failure, and gives numbers.
#pragma once

#include <cstddef>
#include <string>

#include "clipboard/clipboard.h"

namespace talvex::texts {

// The caption of the program's message boxes and the tip of its notification icon.
inline constexpr wchar_t kTitle[] = L"Talvex Press 1.0";
// The character count's message alone carries a space after the title.
inline constexpr wchar_t kCountCaption[] = L"Talvex Press 1.0 ";

// The captions of the two frames; the text box's is also its name for screen readers.
inline constexpr wchar_t kTextFrameCaption[] = L"Texte :";
inline constexpr wchar_t kHistoryFrameCaption[] = L"Liste des éléments copier :";

// The command row, and the case tools under the text box by tool number (an ampersand marks
// the access letter).
inline constexpr wchar_t kCopyButton[] = L"&Copier";
inline constexpr wchar_t kToolsButton[] = L"&Outils";
inline constexpr wchar_t kClearButton[] = L"&Effacer";
inline constexpr wchar_t kHideButton[] = L"&Réduire";
inline constexpr const wchar_t* kToolButtons[4] = {L"Majuscule", L"Miniscule", L"Debut majuscule",
                                                   L"Caractères"};

// The notification icon's menu, and its tools submenu by tool number.
inline constexpr wchar_t kShowItem[] = L"&Afficher";
inline constexpr wchar_t kToolsItem[] = L"Outils";
inline constexpr wchar_t kHelpItem[] = L"&Aide";
inline constexpr wchar_t kAboutItem[] = L"A &propos";
inline constexpr wchar_t kClearAllItem[] = L"&Effacer tout";
inline constexpr wchar_t kQuitItem[] = L"&Quitter";
inline constexpr const wchar_t* kToolMenuItems[4] = {L"&Majuscule", L"&Minuscule",
                                                     L"&Debut majuscule", L"&Nombre de caratères"};

// The text box's own menu.
inline constexpr wchar_t kUndoItem[] = L"&Annuler";
inline constexpr wchar_t kCutItem[] = L"Co&uper";
inline constexpr wchar_t kCopyItem[] = L"&Copier";
inline constexpr wchar_t kPasteItem[] = L"C&oller";
inline constexpr wchar_t kDeleteItem[] = L"&Supprimer";
inline constexpr wchar_t kSelectAllItem[] = L"Sélectionner &tout";

// Said when "Réduire" cannot hide the window: the notification icon is the only way back.
inline constexpr char16_t kCannotHide[] =
    u"La fenêtre ne peut pas être réduite : l'icône de la zone de notification n'a pas pu "
    u"être ajoutée, et c'est par elle que la fenêtre revient.\r\n\r\n"
    u"Talvex Press reste ouvert.";

inline constexpr char16_t kAnotherInstance[] =
    u"Vous ne pouvez pas éxécuter cette application deux fois!!";
inline constexpr char16_t kQuitQuestion[] = u"Etes vous sûre de quitter Talvex Press ?";
inline constexpr char16_t kClearQuestion[] = u"Etes vous sûre d'effacer la presse papier ?";

// The count in plain decimal after the fixed sentence, its two spaces included.
inline constexpr char16_t kCountPrefix[] = u"Le nombre de caratères de la press papier est  ";
inline std::u16string CharacterCountMessage(std::size_t count) {
    const std::string digits = std::to_string(count);
    return kCountPrefix + std::u16string(digits.begin(), digits.end()) + u".";
}

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

// A failure that reached the event boundary: what stopped, the clipboard's reason when it has
// one, and that the program goes on.
inline constexpr wchar_t kNotClearedHeadline[] =
    L"L'historique a été vidé, mais le presse-papiers n'a pas pu l'être.";
inline constexpr wchar_t kClipboardFailedHeadline[] =
    L"L'opération sur le presse-papiers n'a pas pu se faire.";
inline constexpr wchar_t kOutOfMemoryHeadline[] =
    L"Mémoire insuffisante : l'opération a été abandonnée.";
inline constexpr wchar_t kUnexpectedHeadline[] = L"Une erreur inattendue a interrompu l'opération.";
inline constexpr wchar_t kGoesOn[] = L"Talvex Press continue de fonctionner.";

// The clipboard's reason, said after the headline.
inline const wchar_t* ClipboardFailureReason(ClipboardFailure failure) {
    switch (failure) {
        case ClipboardFailure::Busy:
            return L"Le presse-papiers est occupé par un autre programme.\r\n"
                   L"Attendez un instant, puis recommencez.";
        case ClipboardFailure::OwnerNotResponding:
            return L"Le programme qui a rempli le presse-papiers ne répond plus.\r\n"
                   L"Attendez qu'il réponde, puis recommencez.";
        case ClipboardFailure::Unreadable:
            return L"Le texte du presse-papiers ne peut pas être lu.";
        case ClipboardFailure::OutOfMemory:
            return L"Mémoire insuffisante pour placer ce texte dans le presse-papiers.";
        case ClipboardFailure::Refused:
            return L"Le système a refusé de modifier le presse-papiers.";
        case ClipboardFailure::TooLongToMap:
            return L"Texte trop long pour la conversion de casse.";
        case ClipboardFailure::MappingFailed:
            return L"La conversion de casse a échoué.";
        case ClipboardFailure::MappingChangedLength:
            return L"La conversion de casse a changé la longueur du texte.";
    }
    return L"";  // no kind the clipboard raises: the headline says enough
}

inline constexpr wchar_t kHelpAddress[] = L"http://www.example.com/Download/Windows/TalvexPress";

}  // namespace talvex::texts
