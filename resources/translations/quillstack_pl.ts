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
    <name>OnboardingWindowController</name>
    <message>
        <source>Get Started</source>
        <translation>Zaczynamy</translation>
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
        <source>Paste first item, then press Ctrl+V repeatedly for the rest</source>
        <translation>Wkleja pierwszy element; kolejne wklejasz, naciskając Ctrl+V</translation>
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
        <source>Space</source>
        <translation>Spacja</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
    <message>
        <source>No Accessibility permission</source>
        <translation>Brak uprawnień dostępności</translation>
    </message>
    <message>
        <source>Auto-paste is inactive. Click to open Accessibility settings.</source>
        <translation>Automatyczne wklejanie nie działa. Kliknij, aby otworzyć ustawienia dostępności.</translation>
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
        <source>No item selected</source>
        <translation>Nie wybrano elementu</translation>
    </message>
</context>
<context>
    <name>QuickLookView</name>
    <message>
        <source>Close</source>
        <translation>Zamknij</translation>
    </message>
</context>
<context>
    <name>VeskPromoOverlay</name>
    <message>
        <source>Vesk</source>
        <translation>Vesk</translation>
    </message>
    <message>
        <source>Open Markdown items in the Vesk editor.</source>
        <translation>Otwieraj elementy Markdown w edytorze Vesk.</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>Nie teraz</translation>
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
</context>
</TS>
