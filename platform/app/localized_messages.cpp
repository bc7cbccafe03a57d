// The start-up texts in the languages the game ships with, chosen once by the primary language of
// the user interface.
#include <cstdint>

#include "platform/app/shell.h"

namespace mrc {

namespace {

constexpr int kMessageCount = 8;
using Messages = const char16_t* [kMessageCount];

constexpr Messages kEnglish = {
    u"Game installed.\nDo you want to launch it?",
    u"Could not launch the game.\nPlease launch it from Games folder.",
    u"Notice",
    u"Are you sure you want to quit?",
    u"Could not free the required memory to run the game.\nPlease try closing all running applications and "
    u"launch the game again.",
    u"Do you want to keep your saved data?",
    u"Please wait",
    u"Cannot install the game. You need at least %.2f MB of free storage space on the device to install the game.",
};

constexpr Messages kCzech = {
    u"Hra nainstalována.\nChceš ji spustit?",
    u"Nepodarilo se spustit hru.\nSpust ji z adresáre her.",
    u"Poznámka",
    u"Chceš doopravdy skoncit?",
    u"Uvolnení potrebné pameti se nezdarilo.\nZkus zavrít všechny aplikace a spustit hru znovu.",
    u"Chceš zachovat svá uložená data?",
    u"Please wait",
    u"Nelze nainstalovat hru. Potrebuješ alespon %.2f MB volného místa v telefonu pro instalaci hry.",
};

constexpr Messages kGerman = {
    u"Das Spiel ist installiert.\nMöchtest du es jetzt starten?",
    u"Spiel konnte nicht gestartet werden.\nVersuche, es vom Spiele-Ordner aus zu starten.",
    u"Hinweis",
    u"Wirklich beenden?",
    u"Es gibt nicht genügend freien Speicherplatz für das Spiel.\nBeende bitte alle Anwendungen und starte das "
    u"Spiel erneut.",
    u"Möchtest du deine gespeicherten Daten behalten?",
    u"Bitte warten",
    u"Cannot install the game. You need at least %.2f of free storage space.",
};

constexpr Messages kSpanish = {
    u"Juego instalado.\n¿Quieres ejecutarlo ahora?",
    u"No se pudo ejecutar el juego.\nPor favor ejecutalo desde la carpeta Juegos o Games.",
    u"Advertencia",
    u"¿Estas seguro que quieres salir?",
    u"No se ha podido liberar el espacio de memoria requerido para ejecutar el juego.\nPor favor, intenta cerrar "
    u"todas las aplicaciones y vuelve a abrir el juego.",
    u"¿Quieres conservar tus datos guardados?",
    u"Aguarde",
    u"No puedo instalar el juego. Usted necesita de por lo menos %.2f MB de espacio de almecenamiento libre en el "
    u"teléfono para poder instalarlo.",
};

constexpr Messages kFrench = {
    u"Jeu installé.\nLancer le jeu?",
    u"Impossible de lancer le jeu.\nVeuillez le lancer à partir du dossier Jeux.",
    u"Avertissement",
    u"Etes-vous sûr de vouloir quitter?",
    u"Impossible de libérer la mémoire requise pour lancer le jeu.\nFermez toutes les applications en cours et "
    u"relancez le jeu.",
    u"Voulez-vous conserver les données sauvegardées?",
    u"Merci de patienter",
    u"Cannot install the game. You need at least %.2f of free storage space.",
};

constexpr Messages kPortuguese = {
    u"Jogo instalado.\nDeseja iniciá-lo?",
    u"Não foi possível iniciar o jogo.\nFavor iniciá-lo da pasta de jogos.",
    u"Aviso",
    u"Tenz a certeza que queres sair?",
    u"Não foi possivel obter a memória requerida para que o jogo funcione.\nPor favor, tenta fechar todas as "
    u"aplicações e inicia o jogo de novo.",
    u"Queres manter os teus dados guardados?",
    u"Aguarde",
    u"Cannot install the game. You need at least %.2f of free storage space.",
};

// Primary language ids.
constexpr uint32_t kLanguageCzech = 5;
constexpr uint32_t kLanguageGerman = 7;
constexpr uint32_t kLanguageSpanish = 10;
constexpr uint32_t kLanguageFrench = 12;
constexpr uint32_t kLanguagePortuguese = 22;

const char16_t* const* g_messages = nullptr;

}  // namespace

void setLocalizedMessages(uint32_t languageId) {
    switch (languageId) {
        case kLanguageCzech: g_messages = kCzech; break;
        case kLanguageGerman: g_messages = kGerman; break;
        case kLanguageSpanish: g_messages = kSpanish; break;
        case kLanguageFrench: g_messages = kFrench; break;
        case kLanguagePortuguese: g_messages = kPortuguese; break;
        default: g_messages = kEnglish; break;
    }
}

const char16_t* localizedMessage(uint32_t index) {
    if (index >= kMessageCount || !g_messages || !g_messages[index]) return u"NULL";
    return g_messages[index];
}

}  // namespace mrc
