-- What wixl cannot express, applied by make-msi to the package it built, one statement a line.
-- The event source names the installed exe as REG_EXPAND_SZ ("#%"), which wixl writes as a plain string.
UPDATE `Registry` SET `Value`='#%[#merovant.exe]' WHERE `Registry`='EventMessageFile'
-- Removal deletes the keys the package made, not only their values; the vendor's key goes
-- (through the custom actions) only when nothing else is left in it.
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('EreignisquelleEntfernen', 2, 'SYSTEM\CurrentControlSet\Services\EventLog\Application\Merovant', '-', 'Programm')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('EinstellungenEntfernen', 3, 'S-1-5-20\Software\Korvel\merovant', '-', 'Einstellungen')
INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('AuftragEntfernen', 2, 'Software\Korvel\merovant', '-', 'Auftrag')
-- The task account's settings only where DAILYLOG is given, or kept from the installed version.
UPDATE `Component` SET `Condition`='DAILYLOG' WHERE `Component`='Einstellungen'
-- AUFGABE, WARNUNG and DAILYLOG are not listed: a standard user who starts a managed install
-- cannot set them; an administrator, Group Policy, ConfigMgr and Intune pass them all the same.
UPDATE `Property` SET `Value`='WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED' WHERE `Property`='SecureCustomProperties'
