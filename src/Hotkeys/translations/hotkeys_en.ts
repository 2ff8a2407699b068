<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Hotkeys</name>
    <message>
        <source>record_shortcut</source>
        <translation>Record Shortcut</translation>
    </message>
    <message>
        <source>press_shortcut</source>
        <translation>Press Shortcut</translation>
    </message>
    <message>
        <source>keyboard_shortcut_used_by_menu_item</source>
        <translation>This keyboard shortcut cannot be used as it’s already used by the “%1” menu item.</translation>
    </message>
    <message>
        <source>keyboard_shortcut_used_by_system</source>
        <translation>This keyboard shortcut cannot be used as it’s already taken by another application or by the desktop.</translation>
    </message>
    <message>
        <source>keyboard_shortcuts_can_be_changed</source>
        <translation>Most desktop shortcuts can be changed in the keyboard settings of your desktop.</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>force_use_shortcut</source>
        <translation>Use Anyway</translation>
    </message>
    <message>
        <source>space_key</source>
        <translation>space</translation>
    </message>
</context>
</TS>
