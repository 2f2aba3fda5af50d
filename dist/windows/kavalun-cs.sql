UPDATE `Property` SET `Value` = 'Ohyb částic na jedné štěrbině, výukový program' WHERE `Property` = 'ARPCOMMENTS'
UPDATE `Shortcut` SET `Description` = 'Ohyb částic na jedné štěrbině: výpočet intenzity a histogram dopadů' WHERE `Shortcut` = 'ProgramShortcut'
UPDATE `Shortcut` SET `Name` = 'Ohyb na Kavalun – návod pro učitele', `Description` = 'Návod pro učitele k programu Ohyb na Kavalun' WHERE `Shortcut` = 'GuideShortcut'
UPDATE `LaunchCondition` SET `Description` = 'Je nainstalována novější verze programu Ohyb na Kavalun.' WHERE `Condition` = 'NOT WIX_DOWNGRADE_DETECTED'
