<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Hotkeys</name>
    <message>
        <source>record_shortcut</source>
        <translation>Nagraj skrót</translation>
    </message>
    <message>
        <source>press_shortcut</source>
        <translation>Naciśnij skrót</translation>
    </message>
    <message>
        <source>keyboard_shortcut_used_by_menu_item</source>
        <translation>Tego skrótu nie można użyć, ponieważ używa go już pozycja menu „%1”.</translation>
    </message>
    <message>
        <source>keyboard_shortcut_used_by_system</source>
        <translation>Tego skrótu nie można użyć, ponieważ zajmuje go już inna aplikacja lub środowisko pulpitu.</translation>
    </message>
    <message>
        <source>keyboard_shortcuts_can_be_changed</source>
        <translation>Większość skrótów pulpitu można zmienić w ustawieniach klawiatury środowiska pulpitu.</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>force_use_shortcut</source>
        <translation>Użyj mimo to</translation>
    </message>
    <message>
        <source>space_key</source>
        <translation>spacja</translation>
    </message>
</context>
</TS>
