<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL" sourcelanguage="en">
<context>
    <name>App::AppDelegate</name>
    <message>
        <source>Show History</source>
        <translation>Pokaż historię</translation>
    </message>
    <message>
        <source>Pause Monitoring</source>
        <translation>Wstrzymaj monitorowanie</translation>
    </message>
    <message>
        <source>Resume Monitoring</source>
        <translation>Wznów monitorowanie</translation>
    </message>
    <message>
        <source>Clear History</source>
        <translation>Wyczyść historię</translation>
    </message>
    <message>
        <source>Clear entire history?</source>
        <translation>Wyczyścić całą historię?</translation>
    </message>
    <message>
        <source>Pinned items will be kept. This cannot be undone.</source>
        <translation>Przypięte elementy zostaną zachowane. Tej operacji nie można cofnąć.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Ustawienia…</translation>
    </message>
    <message>
        <source>Quit Quillstack</source>
        <translation>Zakończ Quillstack</translation>
    </message>
</context>
<context>
    <name>OnboardingView</name>
    <message>
        <source>Welcome to Quillstack</source>
        <translation>Witaj w Quillstack</translation>
    </message>
    <message>
        <source>Everything you copy, always at hand.</source>
        <translation>Wszystko, co kopiujesz, zawsze pod ręką.</translation>
    </message>
    <message>
        <source>Instant history with a keyboard shortcut</source>
        <translation>Błyskawiczna historia pod skrótem klawiszowym</translation>
    </message>
    <message>
        <source>Instant history with %1</source>
        <translation>Błyskawiczna historia pod skrótem %1</translation>
    </message>
    <message>
        <source>Images and screenshots</source>
        <translation>Obrazy i zrzuty ekranu</translation>
    </message>
    <message>
        <source>Code with syntax highlighting</source>
        <translation>Kod z podświetlaniem składni</translation>
    </message>
    <message>
        <source>Automatic pasting</source>
        <translation>Automatyczne wklejanie</translation>
    </message>
    <message>
        <source>Quillstack pastes items directly into other apps by pressing the paste keys for you. This works in an X11 session with the XTest extension. Without it, items are only copied to the clipboard.</source>
        <translation>Quillstack wkleja elementy prosto do innych aplikacji, naciskając za ciebie klawisze wklejania. Działa to w sesji X11 z rozszerzeniem XTest. Bez niego elementy są tylko kopiowane do schowka.</translation>
    </message>
    <message>
        <source>Automatic pasting is available</source>
        <translation>Automatyczne wklejanie jest dostępne</translation>
    </message>
    <message>
        <source>Automatic pasting is not available in this session.</source>
        <translation>Automatyczne wklejanie nie jest dostępne w tej sesji.</translation>
    </message>
    <message>
        <source>Restart Quillstack to check again</source>
        <translation>Uruchom Quillstack ponownie, by sprawdzić jeszcze raz</translation>
    </message>
    <message>
        <source>Quillstack could not be restarted.</source>
        <translation>Nie udało się ponownie uruchomić Quillstack.</translation>
    </message>
    <message>
        <source>You&apos;re all set!</source>
        <translation>Wszystko gotowe!</translation>
    </message>
    <message>
        <source>Open your clipboard history anytime from the clipboard icon in the system tray.</source>
        <translation>Historię schowka otworzysz w każdej chwili ikoną schowka w zasobniku systemowym.</translation>
    </message>
    <message>
        <source>Press %1 anytime to open your clipboard history. Quillstack lives in the system tray — look for the clipboard icon.</source>
        <translation>Naciśnij %1 w każdej chwili, aby otworzyć historię schowka. Quillstack mieszka w zasobniku systemowym — szukaj ikony schowka.</translation>
    </message>
    <message>
        <source>Look for the clipboard icon in the system tray</source>
        <translation>Szukaj ikony schowka w zasobniku systemowym</translation>
    </message>
    <message>
        <source>Right-click Quillstack in your application launcher to open your clipboard history. Settings, Pause Monitoring, Clear History and Quit are there too, as this desktop shows no system tray.</source>
        <translation>Kliknij prawym przyciskiem Quillstack w menu aplikacji, aby otworzyć historię schowka. Znajdziesz tam też ustawienia, wstrzymanie monitorowania, czyszczenie historii i zamykanie, bo ten pulpit nie pokazuje zasobnika systemowego.</translation>
    </message>
    <message>
        <source>Press %1 anytime to open your clipboard history. This desktop shows no system tray: right-click Quillstack in your application launcher for Settings, Pause Monitoring, Clear History and Quit.</source>
        <translation>Naciśnij %1 w każdej chwili, aby otworzyć historię schowka. Ten pulpit nie pokazuje zasobnika systemowego: ustawienia, wstrzymanie monitorowania, czyszczenie historii i zamykanie znajdziesz, klikając prawym przyciskiem Quillstack w menu aplikacji.</translation>
    </message>
    <message>
        <source>In a terminal: quillstack --settings, --quit, --help</source>
        <translation>W terminalu: quillstack --settings, --quit, --help</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Wstecz</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Pomiń</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Zaczynamy</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Dalej</translation>
    </message>
</context>
<context>
    <name>SettingsWindowController</name>
    <message>
        <source>Quillstack Settings</source>
        <translation>Ustawienia Quillstack</translation>
    </message>
</context>
<context>
    <name>ContentClassifier</name>
    <message>
        <source>Send Email</source>
        <translation>Wyślij e-mail</translation>
    </message>
    <message>
        <source>Call</source>
        <translation>Zadzwoń</translation>
    </message>
    <message>
        <source>Open in Maps</source>
        <translation>Otwórz w Mapach</translation>
    </message>
    <message>
        <source>Nothing was pasted: the text is not valid JSON (line %1, column %2).</source>
        <translation>Nic nie wklejono: tekst nie jest poprawnym JSON-em (wiersz %1, kolumna %2).</translation>
    </message>
    <message>
        <source>Nothing was pasted: the JSON is nested more than %1 levels deep (line %2, column %3).</source>
        <translation>Nic nie wklejono: JSON ma więcej niż %1 poziomów zagnieżdżenia (wiersz %2, kolumna %3).</translation>
    </message>
    <message>
        <source>Nothing was pasted: the formatted JSON would be too large.</source>
        <translation>Nic nie wklejono: sformatowany JSON byłby zbyt duży.</translation>
    </message>
    <message>
        <source>Copy HEX</source>
        <translation>Kopiuj HEX</translation>
    </message>
    <message>
        <source>Paste Formatted JSON</source>
        <translation>Wklej sformatowany JSON</translation>
    </message>
</context>
<context>
    <name>TextTransform</name>
    <message>
        <source>UPPERCASE</source>
        <translation>WIELKIE LITERY</translation>
    </message>
    <message>
        <source>lowercase</source>
        <translation>małe litery</translation>
    </message>
    <message>
        <source>Trim whitespace</source>
        <translation>Usuń białe znaki z brzegów</translation>
    </message>
    <message>
        <source>Remove empty lines</source>
        <translation>Usuń puste wiersze</translation>
    </message>
    <message>
        <source>camelCase → snake_case</source>
        <translation>camelCase → snake_case</translation>
    </message>
    <message>
        <source>snake_case → camelCase</source>
        <translation>snake_case → camelCase</translation>
    </message>
    <message>
        <source>Escape as JSON string</source>
        <translation>Zakoduj jako tekst JSON</translation>
    </message>
</context>
<context>
    <name>VeskIntegration</name>
    <message>
        <source>vesk is not installed</source>
        <translation>vesk nie jest zainstalowany</translation>
    </message>
    <message>
        <source>Nothing to open in vesk</source>
        <translation>Nic do otwarcia w vesk</translation>
    </message>
    <message>
        <source>Could not create a temporary Markdown file</source>
        <translation>Nie można utworzyć tymczasowego pliku Markdown</translation>
    </message>
    <message>
        <source>vesk could not be started</source>
        <translation>Nie można uruchomić vesk</translation>
    </message>
</context>
<context>
    <name>KeyNotation</name>
    <message>
        <source>Return</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Spacja</translation>
    </message>
    <message>
        <source>Backspace</source>
        <translation>Backspace</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Ins</source>
        <translation>Ins</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>End</source>
        <translation>End</translation>
    </message>
    <message>
        <source>PgUp</source>
        <translation>PgUp</translation>
    </message>
    <message>
        <source>PgDown</source>
        <translation>PgDown</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Góra</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Dół</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Lewo</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Prawo</translation>
    </message>
    <message>
        <source>Ctrl</source>
        <translation>Ctrl</translation>
    </message>
    <message>
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message>
        <source>Super</source>
        <translation>Super</translation>
    </message>
    <message>
        <source>CapsLock</source>
        <translation>CapsLock</translation>
    </message>
    <message>
        <source>Fn</source>
        <translation>Fn</translation>
    </message>
    <message>
        <source>NumLock</source>
        <translation>NumLock</translation>
    </message>
    <message>
        <source>Volume Mute</source>
        <translation>Wycisz</translation>
    </message>
    <message>
        <source>Volume Up</source>
        <translation>Zwiększ głośność</translation>
    </message>
    <message>
        <source>Volume Down</source>
        <translation>Zmniejsz głośność</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>Enter</translation>
    </message>
    <message>
        <source>Num</source>
        <translation>Num</translation>
    </message>
    <message>
        <source>click</source>
        <translation>kliknięcie</translation>
    </message>
</context>
<context>
    <name>HistoryView</name>
    <message>
        <source>All</source>
        <translation>Wszystko</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Tekst</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Obrazy</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Kod</translation>
    </message>
    <message>
        <source>Links</source>
        <translation>Linki</translation>
    </message>
    <message>
        <source>Snippets</source>
        <translation>Fragmenty</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Wklej</translation>
    </message>
    <message>
        <source>Paste as Plain Text</source>
        <translation>Wklej jako zwykły tekst</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopiuj</translation>
    </message>
    <message>
        <source>Remove from Queue</source>
        <translation>Usuń z kolejki</translation>
    </message>
    <message>
        <source>Add to Paste Queue</source>
        <translation>Dodaj do kolejki wklejania</translation>
    </message>
    <message>
        <source>Paste OCR Text</source>
        <translation>Wklej rozpoznany tekst</translation>
    </message>
    <message>
        <source>Transform &amp; Paste</source>
        <translation>Przekształć i wklej</translation>
    </message>
    <message>
        <source>Smart Actions</source>
        <translation>Inteligentne akcje</translation>
    </message>
    <message>
        <source>Save as Snippet</source>
        <translation>Zapisz jako fragment</translation>
    </message>
    <message>
        <source>Unpin</source>
        <translation>Odepnij</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Przypnij</translation>
    </message>
    <message>
        <source>Quick Look</source>
        <translation>Szybki podgląd</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Usuń</translation>
    </message>
    <message>
        <source>Drag to move window</source>
        <translation>Przeciągnij, aby przesunąć okno</translation>
    </message>
    <message>
        <source>Search history…</source>
        <translation>Szukaj w historii…</translation>
    </message>
    <message>
        <source>Filter by source app</source>
        <translation>Filtruj według aplikacji źródłowej</translation>
    </message>
    <message>
        <source>All Apps</source>
        <translation>Wszystkie aplikacje</translation>
    </message>
    <message>
        <source>Open anytime with</source>
        <translation>Otwórz w każdej chwili skrótem</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Wyczyść</translation>
    </message>
    <message>
        <source>Paste Queue</source>
        <translation>Kolejka wklejania</translation>
    </message>
    <message>
        <source>Paste first item, then press %1 repeatedly for the rest</source>
        <translation>Wkleja pierwszy element; kolejne wklejasz, naciskając %1</translation>
    </message>
    <message>
        <source>Paste All</source>
        <translation>Wklej wszystko</translation>
    </message>
    <message>
        <source>Plain text</source>
        <translation>Zwykły tekst</translation>
    </message>
    <message>
        <source>Multi</source>
        <translation>Wiele</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>No automatic pasting</source>
        <translation>Bez autowklejania</translation>
    </message>
    <message>
        <source>Picked items are only copied to the clipboard: automatic pasting needs an X11 session with the XTest extension. Click to open the General settings.</source>
        <translation>Wybrane elementy są tylko kopiowane do schowka: automatyczne wklejanie wymaga sesji X11 z rozszerzeniem XTest. Kliknij, aby otworzyć ustawienia na karcie Ogólne.</translation>
    </message>
    <message>
        <source>No results for “%1”</source>
        <translation>Brak wyników dla „%1”</translation>
    </message>
    <message>
        <source>No items yet</source>
        <translation>Nie ma jeszcze elementów</translation>
    </message>
    <message>
        <source>Copy something and it will appear here</source>
        <translation>Skopiuj coś, a pojawi się tutaj</translation>
    </message>
    <message numerus="yes">
        <source>%n selected</source>
        <translation>
            <numerusform>%n zaznaczony</numerusform>
            <numerusform>%n zaznaczone</numerusform>
            <numerusform>%n zaznaczonych</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PreviewPane</name>
    <message>
        <source>Text</source>
        <translation>Tekst</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Kod</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Obraz</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Plik</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Kolor</translation>
    </message>
    <message>
        <source>Snippet</source>
        <translation>Fragment</translation>
    </message>
    <message>
        <source>No selection</source>
        <translation>Nic nie wybrano</translation>
    </message>
    <message>
        <source>Select an item to preview it</source>
        <translation>Wybierz element, aby zobaczyć jego podgląd</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Źródło</translation>
    </message>
    <message>
        <source>MD Preview</source>
        <translation>Podgląd MD</translation>
    </message>
    <message>
        <source>Show formatted Markdown</source>
        <translation>Pokaż sformatowany Markdown</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edytuj</translation>
    </message>
    <message>
        <source>Open Link</source>
        <translation>Otwórz link</translation>
    </message>
    <message>
        <source>Only web and e-mail links can be opened</source>
        <translation>Otworzyć można tylko linki do stron i adresy e-mail</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Paste Edited</source>
        <translation>Wklej zmieniony</translation>
    </message>
    <message>
        <source>Paste OCR Text</source>
        <translation>Wklej tekst OCR</translation>
    </message>
    <message>
        <source>Characters: %1</source>
        <translation>Znaki: %1</translation>
    </message>
    <message>
        <source>Open in vesk</source>
        <translation>Otwórz w vesk</translation>
    </message>
    <message>
        <source>Get vesk</source>
        <translation>Pobierz vesk</translation>
    </message>
    <message>
        <source>Open this Markdown in vesk</source>
        <translation>Otwórz ten Markdown w vesk</translation>
    </message>
    <message>
        <source>vesk is not installed — open download page</source>
        <translation>vesk nie jest zainstalowany — otwórz stronę pobierania</translation>
    </message>
    <message>
        <source>Could not open in vesk</source>
        <translation>Nie można otworzyć w vesk</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AsyncImagePreview</name>
    <message>
        <source>Recognized text</source>
        <translation>Rozpoznany tekst</translation>
    </message>
    <message>
        <source>%1 × %2 px</source>
        <translation>%1 × %2 px</translation>
    </message>
</context>
<context>
    <name>QuickLookView</name>
    <message>
        <source>Image</source>
        <translation>Obraz</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>Snippet</source>
        <translation>Fragment</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Podgląd</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>OCR Text</source>
        <translation>Tekst OCR</translation>
    </message>
    <message>
        <source>Paste OCR Text</source>
        <translation>Wklej tekst OCR</translation>
    </message>
</context>
<context>
    <name>VeskPromoOverlay</name>
    <message>
        <source>Beautiful Markdown for Linux</source>
        <translation>Piękny Markdown na Linuksa</translation>
    </message>
    <message>
        <source>Open clipboard Markdown in a dedicated editor — live preview, slash commands, and a calm writing surface.</source>
        <translation>Otwieraj Markdown ze schowka w osobnym edytorze — podgląd na żywo, polecenia po ukośniku i spokojne miejsce do pisania.</translation>
    </message>
    <message>
        <source>Live preview</source>
        <translation>Podgląd na żywo</translation>
    </message>
    <message>
        <source>Native &amp; light</source>
        <translation>Natywny i lekki</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Bez sieci</translation>
    </message>
    <message>
        <source>Download vesk</source>
        <translation>Pobierz vesk</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Nie teraz</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
</context>
<context>
    <name>QSSectionHeader</name>
    <message>
        <source>Pinned</source>
        <translation>Przypięte</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historia</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Wygląd</translation>
    </message>
    <message>
        <source>Previews</source>
        <translation>Podglądy</translation>
    </message>
    <message>
        <source>Show window</source>
        <translation>Pokazywanie okna</translation>
    </message>
    <message>
        <source>After selecting an item</source>
        <translation>Po wybraniu elementu</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Język</translation>
    </message>
    <message>
        <source>Ignored applications</source>
        <translation>Ignorowane aplikacje</translation>
    </message>
    <message>
        <source>Danger zone</source>
        <translation>Strefa zagrożenia</translation>
    </message>
    <message>
        <source>Global shortcuts</source>
        <translation>Skróty globalne</translation>
    </message>
</context>
<context>
    <name>UI::SettingsView</name>
    <message>
        <source>General</source>
        <translation>Ogólne</translation>
    </message>
    <message>
        <source>Shortcuts</source>
        <translation>Skróty</translation>
    </message>
    <message>
        <source>Snippets</source>
        <translation>Fragmenty</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Wygląd</translation>
    </message>
    <message>
        <source>Privacy</source>
        <translation>Prywatność</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Język</translation>
    </message>
</context>
<context>
    <name>UI::GeneralSettingsTab</name>
    <message>
        <source>Center of screen</source>
        <translation>Środek ekranu</translation>
    </message>
    <message>
        <source>Near cursor</source>
        <translation>Przy kursorze</translation>
    </message>
    <message>
        <source>Near text field</source>
        <translation>Przy polu tekstowym</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Uruchamiaj po zalogowaniu</translation>
    </message>
    <message>
        <source>The autostart entry could not be changed, so this may not take effect.</source>
        <translation>Nie udało się zmienić wpisu autostartu, więc ta zmiana może nie zadziałać.</translation>
    </message>
    <message>
        <source>Remember last items</source>
        <translation>Pamiętaj ostatnie elementy</translation>
    </message>
    <message>
        <source>How many recent clipboard items to keep. Pinned items and snippets are never removed by this limit.</source>
        <translation>Ile ostatnich elementów schowka przechowywać. Przypięte elementy i fragmenty nigdy nie są usuwane przez ten limit.</translation>
    </message>
    <message>
        <source>Where the history panel appears when you press the shortcut.</source>
        <translation>Gdzie pojawia się panel historii po naciśnięciu skrótu.</translation>
    </message>
    <message>
        <source>Paste automatically</source>
        <translation>Wklejaj automatycznie</translation>
    </message>
    <message>
        <source>Only copy to clipboard</source>
        <translation>Tylko kopiuj do schowka</translation>
    </message>
    <message>
        <source>Automatic pasting is unavailable in this session.</source>
        <translation>Automatyczne wklejanie jest niedostępne w tej sesji.</translation>
    </message>
    <message>
        <source>It needs an X11 session with the XTest extension. Picked items are still copied to the clipboard.</source>
        <translation>Wymaga sesji X11 z rozszerzeniem XTest. Wybrane elementy nadal są kopiowane do schowka.</translation>
    </message>
</context>
<context>
    <name>UI::ShortcutsSettingsTab</name>
    <message>
        <source>Show history:</source>
        <translation>Pokaż historię:</translation>
    </message>
    <message>
        <source>Paste last item as plain text:</source>
        <translation>Wklej ostatni element jako zwykły tekst:</translation>
    </message>
    <message>
        <source>Another application holds this shortcut, so it does nothing here. Record a different one, or free it in that application.</source>
        <translation>Inna aplikacja zajmuje ten skrót, więc tutaj nic nie robi. Nagraj inny albo zwolnij go w tamtej aplikacji.</translation>
    </message>
    <message>
        <source>Click a field and press the new key combination.</source>
        <translation>Kliknij pole i naciśnij nową kombinację klawiszy.</translation>
    </message>
</context>
<context>
    <name>UI::SnippetsSettingsTab</name>
    <message>
        <source>New Snippet</source>
        <translation>Nowy fragment</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Bez tytułu</translation>
    </message>
    <message>
        <source>No snippets yet</source>
        <translation>Nie ma jeszcze fragmentów</translation>
    </message>
    <message>
        <source>No snippet selected</source>
        <translation>Nie wybrano fragmentu</translation>
    </message>
    <message>
        <source>Delete Snippet</source>
        <translation>Usuń fragment</translation>
    </message>
    <message>
        <source>Unsaved</source>
        <translation>Niezapisane</translation>
    </message>
    <message>
        <source>Create snippets for text you paste often — signatures, addresses, templates.</source>
        <translation>Twórz fragmenty dla tekstów, które często wklejasz — podpisów, adresów, szablonów.</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Tytuł</translation>
    </message>
    <message>
        <source>Content</source>
        <translation>Treść</translation>
    </message>
    <message>
        <source>Saved</source>
        <translation>Zapisano</translation>
    </message>
    <message>
        <source>You have unsaved changes</source>
        <translation>Masz niezapisane zmiany</translation>
    </message>
    <message>
        <source>Could not save: the history file cannot be written right now. Your text is still here; try again in a moment.</source>
        <translation>Nie udało się zapisać: pliku historii nie można teraz zapisać. Twój tekst nadal tu jest; spróbuj ponownie za chwilę.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Zapisz</translation>
    </message>
</context>
<context>
    <name>UI::AppearanceSettingsTab</name>
    <message>
        <source>System</source>
        <translation>Systemowy</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Jasny</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Ciemny</translation>
    </message>
    <message>
        <source>Preview font size: </source>
        <translation>Rozmiar czcionki podglądu: </translation>
    </message>
    <message>
        <source>System follows the desktop's light or dark setting. Every Quillstack window changes at once.</source>
        <translation>Tryb systemowy podąża za jasnym lub ciemnym ustawieniem pulpitu. Wszystkie okna Quillstack zmieniają się od razu.</translation>
    </message>
    <message>
        <source>Preview font size</source>
        <translation>Rozmiar czcionki podglądu</translation>
    </message>
    <message>
        <source>The quick brown fox jumps over the lazy dog</source>
        <translation>Pchnąć w tę łódź jeża lub ośm skrzyń fig</translation>
    </message>
</context>
<context>
    <name>UI::PrivacySettingsTab</name>
    <message>
        <source>Clear entire history?</source>
        <translation>Wyczyścić całą historię?</translation>
    </message>
    <message>
        <source>Every item goes, pinned ones too. Snippets are kept. This cannot be undone.</source>
        <translation>Usunięte zostaną wszystkie elementy, także przypięte. Fragmenty zostaną zachowane. Tej operacji nie można cofnąć.</translation>
    </message>
    <message>
        <source>Clear History</source>
        <translation>Wyczyść historię</translation>
    </message>
    <message>
        <source>Reset Quillstack?</source>
        <translation>Zresetować Quillstack?</translation>
    </message>
    <message>
        <source>This deletes the entire history, all images and every setting, restoring the app to a fresh install. Quillstack will restart automatically.</source>
        <translation>Spowoduje to usunięcie całej historii, wszystkich obrazów i wszystkich ustawień, przywracając aplikację do stanu po świeżej instalacji. Quillstack uruchomi się ponownie automatycznie.</translation>
    </message>
    <message>
        <source>Erase and Restart</source>
        <translation>Wymaż i uruchom ponownie</translation>
    </message>
    <message>
        <source>Not everything could be erased</source>
        <translation>Nie udało się wymazać wszystkiego</translation>
    </message>
    <message>
        <source>Some of Quillstack's data could not be removed, so Quillstack has not restarted. It goes on with its default settings. Make sure no other program is using its files, then try again.</source>
        <translation>Części danych Quillstack nie udało się usunąć, więc Quillstack nie został uruchomiony ponownie. Działa dalej z ustawieniami domyślnymi. Upewnij się, że żaden inny program nie używa jego plików, i spróbuj ponownie.</translation>
    </message>
    <message>
        <source>Quillstack could not restart</source>
        <translation>Nie udało się ponownie uruchomić Quillstack</translation>
    </message>
    <message>
        <source>All data has been erased, but a new instance could not be started. Quillstack goes on with its default settings; quit and start it again to begin afresh.</source>
        <translation>Wszystkie dane zostały wymazane, ale nie udało się uruchomić nowej instancji. Quillstack działa dalej z ustawieniami domyślnymi; zamknij go i uruchom ponownie, aby zacząć od nowa.</translation>
    </message>
    <message>
        <source>Ignore concealed content (password managers)</source>
        <translation>Ignoruj ukrytą zawartość (menedżery haseł)</translation>
    </message>
    <message>
        <source>Skips content marked secret by 1Password, Bitwarden and similar apps.</source>
        <translation>Pomija zawartość oznaczoną jako tajna przez 1Password, Bitwarden i podobne aplikacje.</translation>
    </message>
    <message>
        <source>Clipboard changes from these apps are never stored.</source>
        <translation>Zmiany schowka z tych aplikacji nigdy nie są zapisywane.</translation>
    </message>
    <message>
        <source>Add…</source>
        <translation>Dodaj…</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Usuń</translation>
    </message>
    <message>
        <source>Clear entire history now</source>
        <translation>Wyczyść teraz całą historię</translation>
    </message>
    <message>
        <source>Restores Quillstack to the state of a fresh installation.</source>
        <translation>Przywraca Quillstack do stanu po świeżej instalacji.</translation>
    </message>
    <message>
        <source>Erase all app data…</source>
        <translation>Wymaż wszystkie dane aplikacji…</translation>
    </message>
</context>
<context>
    <name>UI::LanguageSettingsTab</name>
    <message>
        <source>Interface language updates instantly — no restart needed.</source>
        <translation>Język interfejsu zmienia się od razu — bez ponownego uruchamiania.</translation>
    </message>
    <message>
        <source>System language</source>
        <translation>Język systemu</translation>
    </message>
    <message>
        <source>Follow the desktop's language settings</source>
        <translation>Zgodnie z ustawieniami języka pulpitu</translation>
    </message>
</context>
<context>
    <name>UI::ApplicationPicker</name>
    <message>
        <source>Choose a Desktop Entry</source>
        <translation>Wybierz plik aplikacji</translation>
    </message>
    <message>
        <source>Desktop entries (*.desktop)</source>
        <translation>Pliki aplikacji (*.desktop)</translation>
    </message>
    <message>
        <source>Ignore an Application</source>
        <translation>Ignoruj aplikację</translation>
    </message>
    <message>
        <source>Search applications</source>
        <translation>Szukaj aplikacji</translation>
    </message>
    <message>
        <source>Choose File…</source>
        <translation>Wybierz plik…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Dodaj</translation>
    </message>
</context>
<context>
    <name>UI::SettingsWidgets</name>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>PasteService</name>
    <message>
        <source>The picture was not pasted: its file is missing or damaged.</source>
        <translation>Obraz nie został wklejony: jego plik zaginął lub jest uszkodzony.</translation>
    </message>
</context>
<context>
    <name>MarkdownPreviewView</name>
    <message>
        <source>Image</source>
        <translation>Obraz</translation>
    </message>
    <message>
        <source>%1.</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>•</source>
        <translation>•</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopiuj</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Zaznacz wszystko</translation>
    </message>
</context>
</TS>
