// tools/language.cpp — varnhold.lng: the texts of the menus and the screen in seven languages.
//
// Each section has 37 lines in a fixed order: the menu texts (with "&" before the mnemonic,
// unique within each menu and on the menu bar, where the untranslated "&Language" holds L),
// then the words of the screen, then the captions of "Reduce &flashing", "Send s&cores",
// "Shared high sco&res", "&Watch the best game", "Smooth &motion" and "&Daily challenge", then the
// lines and months shown after a daily challenge (newer than the rest: the game reads a file
// whose sections stop after the 26th line or any line after it, and an older game skips them).
// The English texts and their lines are written from the game's lists (framework/menutags.h,
// framework/screenwords.h); the other languages follow here, a text for every line.
// The placement word is written without its trailing blank:
// the game adds one when it reads the line ("Place" becomes "Place ", shown as "Place 3").
// The file is Latin-1; the sources here are UTF-8 and converted on writing.
#include "assetgen.h"

#include <QStringList>

#include "framework/menutags.h"
#include "framework/screenwords.h"

namespace {

struct tlanguage {
    const char* name;
    const char* lines[languagelines];
};

const tlanguage languages[] = {
    {"Deutsch",
     {"&Spiel", "&Starten (Enter)", "&Bestenliste zeigen", "B&eenden", "&Optionen",
      "&Fenstergröße zurücksetzen", "&Maustaste automatisch wählen",
      "&1-Tasten-Maus (Geschütz automatisch wählen)", "&2-Tasten-Maus", "&Pause zwischen den Levels",
      "&Text ausblenden (H)", "&Pause (P)", "Lau&tstärke", "&Hilfe", "Level", "Punkte", "Stadt",
      "Raketen", "Name", "Combo x", "Rechte Maustaste oder Enter drücken zum Starten", "Achtung",
      "Der Feind rüstet nach", "Spiel vorbei", "Platz", "Gib deinen Namen ein", "&Blitze abschwächen", "P&unkte senden", "&Gemeinsame Bestenliste", "Bestes Spiel &ansehen", "Flüssige Be&wegung",
      "&Tägliche Herausforderung", "Tägliche Herausforderung, {day}. {month}: Platz {rank} von {of}", "Tägliche Herausforderung, {day}. {month}: zu spät für die Tagesliste", "Tägliche Herausforderung, {day}. {month}: {score} Punkte (gespeichert; nicht gesendet)", "Tägliche Herausforderung, {day}. {month}: nicht angenommen, {why}", "Januar Februar März April Mai Juni Juli August September Oktober November Dezember"}},
    {"Français",
     {"&Jeu", "&Commencer (Entrée)", "Afficher les &scores", "&Quitter", "&Options",
      "&Réinitialiser la taille de la fenêtre", "Choix automatique du &bouton de souris",
      "Souris à &1 bouton (choix automatique de la tourelle)", "Souris à &2 boutons",
      "&Pause entre les niveaux", "Masquer le &texte (H)", "&Pause (P)", "&Volume", "&Aide", "Niveau",
      "Score", "Ville", "Missiles", "Nom", "Combo x", "Clic droit ou Entrée pour commencer",
      "Préparez-vous", "L'ennemi se réarme", "Partie terminée", "Place", "Entrez votre nom", "Réduire les &flashs lumineux", "&Envoyer les scores", "Meilleurs scores &partagés", "&Regarder la meilleure partie", "&Mouvement fluide",
      "&Défi du jour", "Défi du jour, {day} {month} : rang {rank} sur {of}", "Défi du jour, {day} {month} : trop tard pour le classement du jour", "Défi du jour, {day} {month} : {score} points (gardé ; non envoyé)", "Défi du jour, {day} {month} : refusé, {why}", "janvier février mars avril mai juin juillet août septembre octobre novembre décembre"}},
    {"Español",
     {"&Juego", "&Empezar (Intro)", "&Ver récords", "&Salir", "&Opciones",
      "&Restablecer tamaño de ventana", "Elegir &botón del ratón automáticamente",
      "Ratón de &1 botón (elegir torreta automáticamente)", "Ratón de &2 botones",
      "&Pausa entre niveles", "Ocultar &texto (H)", "&Pausa (P)", "&Volumen", "&Ayuda", "Nivel",
      "Puntos", "Ciudad", "Misiles", "Nombre", "Combo x", "Pulsa el botón derecho o Intro para empezar",
      "Prepárate", "El enemigo se está rearmando", "Fin del juego", "Puesto", "Escribe tu nombre", "Reducir &destellos", "E&nviar puntuaciones", "Récords &compartidos", "&Mirar la mejor partida", "&Movimiento suave",
      "&Desafío del día", "Desafío del día, {day} de {month}: puesto {rank} de {of}", "Desafío del día, {day} de {month}: demasiado tarde para la tabla del día", "Desafío del día, {day} de {month}: {score} puntos (guardado; no enviado)", "Desafío del día, {day} de {month}: no aceptado, {why}", "enero febrero marzo abril mayo junio julio agosto septiembre octubre noviembre diciembre"}},
    {"Italiano",
     {"&Gioco", "&Inizia (Invio)", "Mostra &record", "&Esci", "&Opzioni",
      "&Ripristina dimensione finestra", "Scelta automatica del tasto del &mouse",
      "Mouse a &1 tasto (scelta automatica della torretta)", "Mouse a &2 tasti",
      "&Pausa tra i livelli", "Nascondi &testo (H)", "&Pausa (P)", "&Volume", "&Aiuto", "Livello",
      "Punti", "Città", "Missili", "Nome", "Combo x", "Premi il tasto destro o Invio per iniziare",
      "Preparati", "Il nemico si sta riarmando", "Partita finita", "Posto", "Inserisci il tuo nome", "Riduci i &lampi", "I&nvia i punteggi", "Record &condivisi", "&Guarda la partita migliore", "Movimento &fluido",
      "&Sfida del giorno", "Sfida del giorno, {day} {month}: posto {rank} su {of}", "Sfida del giorno, {day} {month}: troppo tardi per la classifica del giorno", "Sfida del giorno, {day} {month}: {score} punti (salvato; non inviato)", "Sfida del giorno, {day} {month}: non accettato, {why}", "gennaio febbraio marzo aprile maggio giugno luglio agosto settembre ottobre novembre dicembre"}},
    {"Nederlands",
     {"&Spel", "&Starten (Enter)", "&Topscores tonen", "&Afsluiten", "&Opties",
      "&Venstergrootte herstellen", "&Muisknop automatisch kiezen",
      "&1-knopsmuis (kanon automatisch kiezen)", "&2-knopsmuis", "&Pauze tussen levels",
      "&Tekst verbergen (H)", "&Pauze (P)", "&Volume", "&Help", "Level", "Score", "Stad", "Raketten",
      "Naam", "Combo x", "Druk op de rechtermuisknop of Enter om te beginnen", "Maak je klaar",
      "De vijand herbewapent zich", "Spel voorbij", "Plaats", "Voer je naam in", "&Flitsen verminderen", "Scores &versturen", "&Gedeelde topscores", "&Beste spel bekijken", "Vloeiende &beweging",
      "&Dagelijkse uitdaging", "Dagelijkse uitdaging, {day} {month}: plaats {rank} van {of}", "Dagelijkse uitdaging, {day} {month}: te laat voor de dagtabel", "Dagelijkse uitdaging, {day} {month}: {score} punten (bewaard; niet verstuurd)", "Dagelijkse uitdaging, {day} {month}: niet aangenomen, {why}", "januari februari maart april mei juni juli augustus september oktober november december"}},
    {"Português",
     {"&Jogo", "&Iniciar (Enter)", "&Mostrar recordes", "&Sair", "&Opções",
      "&Repor tamanho da janela", "Escolher &botão do mouse automaticamente",
      "Mouse de &1 botão (escolher torre automaticamente)", "Mouse de &2 botões",
      "&Pausa entre os níveis", "Ocultar &texto (H)", "&Pausa (P)", "&Volume", "&Ajuda", "Nível",
      "Pontos", "Cidade", "Mísseis", "Nome", "Combo x",
      "Clique com o botão direito ou tecle Enter para começar", "Prepare-se",
      "O inimigo está se rearmando", "Fim de jogo", "Lugar", "Digite seu nome", "Reduzir &clarões", "E&nviar pontuações", "Recordes &compartilhados", "&Assistir ao melhor jogo", "&Movimento suave",
      "&Desafio do dia", "Desafio do dia, {day} de {month}: posição {rank} de {of}", "Desafio do dia, {day} de {month}: tarde demais para a tabela do dia", "Desafio do dia, {day} de {month}: {score} pontos (guardado; não enviado)", "Desafio do dia, {day} de {month}: não aceito, {why}", "janeiro fevereiro março abril maio junho julho agosto setembro outubro novembro dezembro"}},
};

} // namespace

std::string makelanguage() {
    QString text;
    text += QString("; Varnhold language file: one section per language, each with %1 lines in a fixed order.\n")
                .arg(languagelines);
    text += "; Lines starting with ';' are comments. '&' marks the menu mnemonic.\n";
    text += "\n[English]\n";
    for (int line = 1; line <= languagelines; line++) {
        QString english;
        for (const tmenuentry& e : menuentries)
            if (e.line == line) english = QString::fromUtf8(e.english);
        for (const tscreenword& w : screenwords)
            if (w.line == line) english = QString::fromUtf8(w.english);
        for (const tscreenword& w : linewords)
            if (w.line == line) english = QString::fromUtf8(w.english);
        if (english.endsWith(' ')) english.chop(1);   // the game adds the blank back
        text += english + "\n";
    }
    for (auto& l : languages) {
        text += QString("\n[") + QString::fromUtf8(l.name) + "]\n";
        for (auto* s : l.lines) text += QString::fromUtf8(s) + "\n";
    }
    QByteArray b = text.toLatin1();
    return std::string(b.constData(), size_t(b.size()));
}
