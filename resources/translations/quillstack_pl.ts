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
</TS>
