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
</TS>
