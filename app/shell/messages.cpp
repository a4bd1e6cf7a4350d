// The main program's texts. A new language is a new column here (and its value
// of Language); the row order follows the message ids, which the compiler checks.

#include "app/shell/messages.h"

#include "library/text_catalog.h"

#include <cstddef>

namespace tf {

namespace {

constexpr std::size_t kLanguages = 2; // German, English: the order of Language

static_assert(static_cast<std::size_t>(Language::English) + 1 == kLanguages);

using Row = catalog::Row<Msg, kLanguages>;

// clang-format off
constexpr Row kRows[] = {
    // The title's blanks are part of it: it lines up with the flags beside it.
    {Msg::Title, {"  Trackforge             für           Tarvolin  Audio ",
                  "  Trackforge             for           Tarvolin  Audio "}},
    {Msg::SizeLabel, {"Größe:", "Size:"}},
    {Msg::ConvertFrame, {"Wave-Datei in Project-Datei umwandeln", "Convert Wave-file into Project-file"}},
    {Msg::WaveButton, {"Wave-Datei", "Wave-file"}},
    {Msg::ProjectButton, {"Project-Datei", "Project-file"}},
    {Msg::CardFrame, {"Project-Datei auf CF-Karte speichern", "Save Project-file to CF card"}},
    {Msg::CardDriveLabel, {"CF-Laufwerk:", "CF drive:"}},
    {Msg::FreeSpaceLabel, {"Freier Speicherplatz:", "Remaining disc space:"}},
    {Msg::CardContentsLabel, {"Inhalt CF-Karte:", "List CF card:"}},
    {Msg::ClearCardButton, {"Compact Flash Karte löschen", "Clear CF card"}},
    {Msg::WriteCardButton, {"Project-Datei auf CF-Karte schreiben", "Save Project-file to CF card"}},
    {Msg::CloseButton, {"Schließen", "Close"}},
    {Msg::DefaultName, {"Unbenannt", "unknown"}},
    {Msg::WaveButtonTip, {"Wave-Datei öffnen", "Open Wave-file"}},
    {Msg::PlayTip, {"Play Wave-Datei", "Play Wave-file"}},
    {Msg::PauseTip, {"Pause", "Pause"}},
    {Msg::StopTip, {"Stop", "Stop"}},
    {Msg::WaveSizeTip, {"Größe der Wave-Datei", "Size of Wave-file"}},
    {Msg::WavePathTip, {"Pfad der Wave-Datei", "Path of Wave-file"}},
    {Msg::ProjectPathTip, {"Speicherort der Project-Datei", "Path of Project-file"}},
    {Msg::ProjectNameTip, {"Der Project Name erscheint im Display des Tarvolin Audio",
                           "This Project-name will be shown in the display of the Tarvolin Audio"}},
    {Msg::StatusTip, {"Zeigt aktuellen Status an", "Status information"}},
    {Msg::StartTip, {"Wandelt Wave-Datei (*.wav) in Project-Datei (*.kpf) um",
                     "Converts Wave-file (*.wav) to Project-file (*.kpf)"}},
    {Msg::OpenProjectTip, {"Project - Datei öffnen", "Open Project-file"}},
    {Msg::CardProjectPathTip, {"Speicherort der Project-Datei", "Path of project file"}},
    {Msg::DriveListTip, {"Auswahl des Compact Flash Laufwerks", "Select the CF drive"}},
    {Msg::CardContentsTip, {"Inhalt des Datenträgers", "Shows the content of the storage medium"}},
    {Msg::ClearCardTip, {"Löscht alle Dateien und Verzeichnisse auf der Compact Flash Karte",
                         "All files and directories on the CF card will be deleted"}},
    {Msg::WriteCardTip, {"Schreibt die Project-Datei (*.kpf) auf die Compact Flash Karte",
                         "Save the Project-file (*.kpf) to the CF card"}},
    {Msg::CloseTip, {"Beendet den Trackforge", "Close Trackforge"}},
    {Msg::InfoTip, {"Info über Trackforge", "Info about Trackforge"}},
    {Msg::DriveTypeTip, {"Datenträger Typ", "Type of storage medium"}},
    {Msg::PlayName, {"Abspielen", "Play"}},
    {Msg::PauseName, {"Pause", "Pause"}},
    {Msg::StopName, {"Stopp", "Stop"}},
    {Msg::CardFoldersName, {"Ordner auf der CF-Karte", "Folders on the CF card"}},
    {Msg::CardFilesName, {"Dateien auf der CF-Karte", "Files on the CF card"}},

    {Msg::AboutCaption, {"Info über Trackforge", "Info about Trackforge"}},
    {Msg::AboutFor, {"für", "for"}},
    {Msg::AboutDescription,
     {"Mit diesem Programm ist es möglich, eine WAV-Datei in eine Project-Datei umzuwandeln, die "
      "dann vom Tarvolin Audio abgespielt werden kann.    Außerdem können Dateien und "
      "Verzeichnisse auf der CF-Karte gelöscht werden. Anschließend kann die Project-Datei auf "
      "die Karte geschrieben werden.",
      "This program is used to convert a Wave-file into a Project-file, which can be played by "
      "the Tarvolin Audio. In addition you can delete and save files and directories on the CF "
      "card."}},

    {Msg::WaveFilter, {"Wave-Datei (*.wav)|*.wav|", "Wave-Datei (*.wav)|*.wav|"}},
    {Msg::SaveProjectFilter, {"Project-Datei (*.kpf)|*.kpf|", "Project-File (*.kpf)|*.kpf|"}},
    {Msg::OpenProjectFilter, {"Projekt-Datei (*.kpf)|*.kpf|", "Projekt-Datei (*.kpf)|*.kpf|"}},
    // Follows the wave filter in the wave dialog; that one stays first and the default.
    {Msg::AudioFilter, {"Audio-Dateien (*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma)|*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma|",
                        "Audio files (*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma)|*.wav;*.flac;*.mp3;*.ogg;*.m4a;*.wma|"}},

    {Msg::WaveInvalidFormat, {"Kein gültiges WAVE-Format", "Invalid wave format"}},
    {Msg::WaveNotStereo, {"Mono-Waves können nicht verarbeitet werden.", "Mono waves cannot be used."}},
    {Msg::WaveNot44100Hz, {"Nur Waves mit 44.1 kHz können verwendet werden.",
                           "Only waves with 44.1 kHz can be used."}},
    {Msg::WaveNot16Bit, {"Nur Waves mit 16 Bit können verwendet werden.",
                         "Only waves with 16 Bit can be used."}},

    {Msg::PrepareQuestion,
     {"Soll Trackforge eine Kopie im Format des Tarvolin Audio erstellen (44,1 kHz, 16 Bit, Stereo)?",
      "Shall Trackforge make a copy in the Tarvolin Audio's format (44.1 kHz, 16 bit, stereo)?"}},
    {Msg::PrepareTooManyChannels,
     {"Die Datei hat mehr als zwei Kanäle. Trackforge mischt sie nicht auf Stereo ab, weil es "
      "dafür raten müsste. Bitte mischen Sie die Datei in einem Audioprogramm auf Stereo ab und "
      "wählen Sie sie dann erneut.",
      "The file has more than two channels. Trackforge does not mix them down to stereo, as it "
      "would have to guess how. Please mix the file down to stereo in an audio program and "
      "choose it again."}},
    {Msg::PrepareFailed,
     {"Die Kopie \"{1}\" konnte nicht erstellt werden. Bitte prüfen Sie, ob auf dem Datenträger "
      "genügend Speicherplatz frei ist, und versuchen Sie es noch einmal.",
      "The copy \"{1}\" could not be made. Please check that there is enough free space on the "
      "drive and try again."}},
    {Msg::PrepareClipped,
     {"Die Kopie wurde erstellt. {1} Abtastwerte lagen über der Vollaussteuerung und wurden "
      "begrenzt; das kann hörbar verzerren. Bitte prüfen Sie die Lautstärke des Originals.",
      "The copy has been made. {1} samples were beyond full scale and have been clipped, which "
      "may be audible as distortion. Please check the level of the original."}},
    {Msg::PrepareHeadroomQuestion,
     {"Beim Umwandeln würden {1} Abtastwerte übersteuern. Soll Trackforge den Pegel um {2} dB "
      "absenken, damit nichts übersteuert?",
      "{1} samples would clip in the conversion. Shall Trackforge lower the level by {2} dB so "
      "that nothing clips?"}},
    {Msg::PrepareEndsEarly,
     {"Die Datei endet nach {1} statt nach den {2}, die ihr Dateikopf angibt; sie scheint "
      "beschädigt zu sein. Es wurde keine Kopie erstellt.",
      "The file ends after {1} of the {2} its header gives; it seems damaged. No copy has been "
      "made."}},
    {Msg::PrepareDamaged,
     {"Die Audiodaten der Datei lassen sich nicht vollständig lesen; sie scheint beschädigt zu "
      "sein. Es wurde keine Kopie erstellt.",
      "The audio of the file cannot be read completely; it seems damaged. No copy has been "
      "made."}},
    {Msg::PrepareRateUnsupported,
     {"Der Dateikopf gibt eine Abtastrate von {1} Hz an, die keine Audiodatei hat; er scheint "
      "beschädigt zu sein. Es wurde keine Kopie erstellt.",
      "The file's header gives a sample rate of {1} Hz, which no audio has; it seems damaged. No "
      "copy has been made."}},

    {Msg::ChooseTarget, {"Bitte Speicherort der Project-Datei wählen!", "Please select Path of Project-file!"}},
    {Msg::Converting, {"Projektdatei erstellen", "Compiling Project-file"}},
    {Msg::Completed, {"Fertig", "Completed"}},
    {Msg::Error, {"Fehler", "Error"}},
    {Msg::LibraryMissing,
     {"Die Programmbibliothek \"Sonwerk_Projekt.dll\" konnte nicht geladen werden. "
      "Bitte installieren Sie Trackforge neu.",
      "The program library \"Sonwerk_Projekt.dll\" could not be loaded. "
      "Please install Trackforge again."}},
    {Msg::PathNotRepresentable,
     {"Der Pfad der Wave-Datei oder der Project-Datei enthält Zeichen, die nicht verarbeitet "
      "werden können. Bitte wählen Sie einen anderen Ordner oder Dateinamen.",
      "The path of the wave file or the project file contains characters that cannot be "
      "processed. Please choose another folder or file name."}},
    {Msg::WaveGone, {"Die Wave-Datei wurde nicht gefunden. Bitte wählen Sie sie erneut aus.",
                     "The wave file was not found. Please select it again."}},
    {Msg::NoWaveChosen, {"Bitte wählen Sie zuerst eine Wave-Datei aus.", "Please select a wave file first."}},
    {Msg::TargetNotCreated,
     {"Die Project-Datei konnte in diesem Ordner nicht angelegt werden. Bitte wählen Sie einen "
      "Ordner, in den Sie schreiben dürfen.",
      "The project file could not be created in this folder. Please choose a folder you may "
      "write to."}},
    {Msg::TargetDiskFull,
     {"Der Datenträger der Project-Datei ist voll. Bitte schaffen Sie Platz oder wählen Sie "
      "einen anderen Speicherort.",
      "The drive of the project file is full. Please make room or choose another location."}},
    {Msg::ConversionBroken,
     {"Beim Lesen der Wave-Datei oder beim Schreiben der Project-Datei ist ein Fehler "
      "aufgetreten. Die unvollständige Project-Datei wurde entfernt.",
      "Reading the wave file or writing the project file failed. The incomplete project file "
      "has been removed."}},
    {Msg::LibraryFailed,
     {"Die Programmbibliothek \"Sonwerk_Projekt.dll\" meldet den Fehler {1}. Die Project-Datei "
      "ist nicht verwendbar.",
      "The program library \"Sonwerk_Projekt.dll\" reports the error {1}. The project file "
      "cannot be used."}},

    {Msg::DriveUnknown, {"Unbekannter Datenträger", "Unknown storage medium"}},
    {Msg::DriveRemovable, {"Wechseldatenträger", "Removable disk drive"}},
    {Msg::DriveFixed, {"HDD", "HDD"}},
    {Msg::DriveNetwork, {"Netzwerk Laufwerk", "Network drive"}},
    {Msg::DriveCdRom, {"CD-ROM Laufwerk", "CD-ROM drive"}},
    {Msg::DriveRamDisk, {"RAM Laufwerk", "RAM Disk"}},

    {Msg::NotReady, {"Laufwerk ist nicht bereit zum Datenaustausch.", "Drive is not ready for data exchange."}},
    {Msg::ChooseDriveFirst, {"Bitte wählen Sie zuerst ein Laufwerk aus.", "Please select a drive first."}},
    {Msg::NotRemovableDrive,
     {"Das Laufwerk {1} ist kein Wechseldatenträger!\r\nBitte wählen Sie bei 'CF-Laufwerk' ein "
      "anderes Laufwerk aus.",
      "Drive {1} is not a removable storage medium!\r\nPlease select another drive under "
      "'CF-Drive'."}},
    {Msg::CardSizeUnsuitable,
     {"Die Compact-Flash-Karte ist nicht für den Betrieb mit dem Tarvolin Audio geeignet!\r\n"
      "Bitte verwenden Sie CF-Karten mit {1} MB.",
      "The CF-card is not suitable for an operation with the Tarvolin Audio. Please use CF cards "
      "with {1} MB."}},
    // The last joint of the card sizes' list in the two messages above and below.
    {Msg::SizeListOr, {" oder ", " or "}},
    {Msg::CardNotFat, {"Die Compact-Flash-Karte ist nicht richtig formatiert!\r\nRichtiges Dateisystem ist 'FAT'.",
                       "The format of the CF-card is wrong!\r\nCorrect filesystem is 'FAT'."}},
    {Msg::NotEnoughSpace, {"Es ist nicht genügend Speicherplatz auf dem Datenträger vorhanden!",
                           "There is not enough memory space available on the drive!"}},
    {Msg::CardNotEmpty,
     {"Der Datenträger ist nicht leer!\r\nBitte löschen Sie alle Daten, bevor Sie eine "
      "Project-Datei auf die Compact-Flash Karte speichern!\r\r\nWollen Sie die Project-Datei "
      "trotzdem speichern?",
      "The drive is not empty!\r\nPlease delete all files before writing a project file to the "
      "CF card.\r\r\nDo you want to proceed with writing of the project file anyway? "}},
    {Msg::ChooseProjectFile, {"Bitte wählen Sie zuerst eine Project-Datei aus.", "Please select a project file first."}},
    {Msg::ProjectFileMissing, {"Die Project-Datei wurde nicht gefunden.", "The project file could not be found."}},
    {Msg::CopyFailed, {"Die Project-Datei konnte nicht auf die Compact-Flash Karte geschrieben werden.",
                       "The project file could not be written to the CF card."}},
    {Msg::CardSizeUnsuitableOnWrite,
     {"Die Compact Flash Karte ist nicht für den Betrieb mit dem Tarvolin Audio geeignet!\r\n"
      "Bitte verwenden Sie CF-Karten mit {1} MB.",
      "The CF-card is not suitable for an operation with the Tarvolin Audio!\r\nPlease use CF "
      "cards with {1} MB."}},
    {Msg::WritingProjectFile, {"Project-Datei wird geschrieben", "Writing Project-file"}},
    {Msg::VerifyingProjectFile, {"Project-Datei wird geprüft", "Verifying Project-file"}},
    {Msg::PreparingCopy, {"Kopie wird erstellt", "Making the copy"}},
    {Msg::ProgressOf, {"von", "of"}},
    {Msg::ProgressLeft, {"noch {1} s", "{1} s left"}},
    {Msg::CardGone, {"Die Karte wurde während des Schreibens entfernt.",
                     "The card was removed while it was being written."}},
    {Msg::CardFull, {"Auf der Karte ist kein Platz mehr frei.", "There is no space left on the card."}},
    {Msg::CardReadBackFailed, {"Die Karte konnte nicht zurückgelesen werden.",
                               "The card could not be read back."}},
    {Msg::CardReadBackDifferent,
     {"Beim Zurücklesen gab die Karte andere Daten zurück, als geschrieben wurden. Die Karte "
      "ist vielleicht beschädigt.",
      "Reading back, the card gave other data than was written. The card may be damaged."}},
    {Msg::PartialCopyLeft,
     {"Eine unvollständige Kopie ({1}) kann auf der Karte geblieben sein. Trackforge entfernt sie "
      "beim nächsten Schreiben.",
      "An incomplete copy ({1}) may have stayed on the card. Trackforge removes it at the next "
      "write."}},
    {Msg::EjectQuestion, {"Die Karte kann jetzt sicher entfernt werden. Soll Trackforge sie auswerfen?",
                          "The card can now be removed safely. Shall Trackforge eject it?"}},
    {Msg::Ejected, {"Die Karte wurde ausgeworfen und kann jetzt entnommen werden.",
                    "The card has been ejected and can be taken out now."}},
    {Msg::EjectRefused,
     {"Die Karte konnte nicht ausgeworfen werden: Ein anderes Programm oder Fenster benutzt sie "
      "noch. Sie bleibt eingebunden; bitte schließen Sie es und versuchen Sie es noch einmal.",
      "The card could not be ejected: another program or window is still using it. It stays "
      "mounted; please close that and try again."}},
    {Msg::EjectFailed,
     {"Die Karte konnte nicht ausgeworfen werden. Bitte werfen Sie sie über \"Hardware sicher "
      "entfernen\" aus, bevor Sie sie entnehmen.",
      "The card could not be ejected. Please eject it with \"Safely Remove Hardware\" before "
      "taking it out."}},
    {Msg::ClearCardQuestion, {"Sind Sie sicher, daß Sie alle Daten auf Laufwerk '{1}' löschen wollen ?",
                              "Are you sure to delete all data on drive '{1}'?"}},
    {Msg::ClearNotRemovable, {"Das Laufwerk ist kein Wechseldatenträger!",
                              "This Drive is not a removable storage medium!"}},
    {Msg::UnexpectedError, {"Das hat leider nicht geklappt. Bitte versuchen Sie es noch einmal.",
                            "Sorry, that did not work. Please try again."}},
};
// clang-format on

TF_CATALOG_CHECK(kRows, Msg::Count);

} // namespace

const char *Text(Msg id, Language language) {
    return kRows[static_cast<std::size_t>(id)].text[static_cast<std::size_t>(language)];
}

std::string Text(Msg id, Language language, const std::string &argument) {
    return catalog::Fill(Text(id, language), {argument});
}

std::string Text(Msg id, Language language, const std::string &first, const std::string &second) {
    return catalog::Fill(Text(id, language), {first, second});
}

} // namespace tf
