-- What wixl 0.101 cannot write into the MSI, put in by scripts/windows-package.sh after it
-- (one statement a line; @VERSION@ and @UPGRADE_CODE@ are the package's). The Czech texts, in the tables' code page 1250:
UPDATE `Property` SET `Value` = 'Ohyb částic na jedné štěrbině, výukový program' WHERE `Property` = 'ARPCOMMENTS'
UPDATE `Shortcut` SET `Description` = 'Ohyb částic na jedné štěrbině: výpočet intenzity a histogram dopadů' WHERE `Shortcut` = 'ProgramShortcut'
UPDATE `Shortcut` SET `Name` = 'Ohyb na Kavalun – projektor', `Description` = 'Program zvětšený na 150 % pro projektor' WHERE `Shortcut` = 'ProjectorShortcut'
UPDATE `Shortcut` SET `Name` = 'Ohyb na Kavalun – návod pro učitele', `Description` = 'Návod pro učitele k programu Ohyb na Kavalun' WHERE `Shortcut` = 'GuideShortcut'
UPDATE `LaunchCondition` SET `Description` = 'Je nainstalována novější verze programu Ohyb na Kavalun.' WHERE `Condition` = 'NOT WIX_DOWNGRADE_DETECTED'
-- A package of the same version (rebuilt, say) replaces the installed one too, instead of
-- installing beside it: the upgrade's version range includes its upper end
-- (MigrateFeatures 1 + VersionMaxInclusive 512). The attributes are part of the row's key, so
-- the row is written anew.
DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'
INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('@UPGRADE_CODE@', '@VERSION@', 513, 'WIX_UPGRADE_DETECTED')
