#pragma once
// The Lenex fixture of the core and CLI tests.

namespace tolvtest {

// A results file of a meet abroad, written from the format's description: accented and long
// names, control characters, clubs with codes of 3 and 6 characters, two sessions,
// heats and a final of one event, NT and 00:00:00.00, statuses, a kick and a pull event, a
// distance without a slot, a mixed relay with positions and a relay without.
inline const char* const kLenexWorld = R"(<?xml version="1.0" encoding="UTF-8"?>
<LENEX version="3.0">
  <CONSTRUCTOR name="Meet Manager" registration="Bayerischer Schwimmverband" version="11.0">
    <CONTACT name="Support" email="support@example.org" />
  </CONSTRUCTOR>
  <MEETS>
    <MEET name="Internationales Schwimmfest München" city="München" nation="GER" course="LCM">
      <FACILITY name="Olympia-Schwimmhalle" city="München" nation="GER" />
      <POOL lanemin="1" lanemax="8" />
      <AGEDATE type="YEAR" value="2024-01-01" />
      <SESSIONS>
        <SESSION number="1" date="2024-06-08">
          <EVENTS>
            <EVENT eventid="11" number="1" round="PRE" gender="M">
              <SWIMSTYLE distance="100" relaycount="1" stroke="FREE" />
              <HEATS><HEAT heatid="1101" number="1" /></HEATS>
            </EVENT>
            <EVENT eventid="12" number="1" round="FIN" gender="M" preveventid="11"><SWIMSTYLE distance="100" relaycount="1" stroke="FREE" /></EVENT>
            <EVENT eventid="13" number="2"><SWIMSTYLE distance="25" relaycount="1" stroke="FLY" technique="KICK" /></EVENT>
            <EVENT eventid="14" number="3"><SWIMSTYLE distance="50" relaycount="1" stroke="BREAST" technique="PULL" /></EVENT>
            <EVENT eventid="15" number="4"><SWIMSTYLE distance="400" relaycount="1" stroke="BACK" /></EVENT>
          </EVENTS>
        </SESSION>
        <SESSION number="2" date="2024-06-09">
          <EVENTS>
            <EVENT eventid="21" number="5" gender="X"><SWIMSTYLE distance="50" relaycount="4" stroke="MEDLEY" /></EVENT>
            <EVENT eventid="22" number="6"><SWIMSTYLE distance="50" relaycount="1" stroke="BACK" /></EVENT>
          </EVENTS>
        </SESSION>
      </SESSIONS>
      <CLUBS>
        <CLUB name="SV Würzburg 05" shortname="SV Würzburg" code="WUE" nation="GER">
          <ATHLETES>
            <ATHLETE athleteid="1" lastname="Müller" firstname="Jürgen" gender="M" birthdate="2008-03-14" license="123456">
              <ENTRIES>
                <ENTRY eventid="11" entrytime="00:00:58.10" heatid="1101" lane="4" />
                <ENTRY eventid="12" entrytime="00:00:57.55" />
                <ENTRY eventid="13" entrytime="00:00:00.00" />
                <ENTRY eventid="15" entrytime="00:05:01.00" />
              </ENTRIES>
              <RESULTS>
                <RESULT resultid="1" eventid="11" swimtime="00:00:57.80" heatid="1101" />
                <RESULT resultid="2" eventid="12" swimtime="00:00:57.20" comment="Finale&#10;neuer Rekord" />
                <RESULT resultid="3" eventid="13" swimtime="00:00:19.50" />
                <RESULT resultid="4" eventid="22" swimtime="NT" status="DSQ" />
              </RESULTS>
            </ATHLETE>
            <ATHLETE athleteid="2" lastname="Straße-Łukasiewicz" firstname="Zoë" gender="F" birthdate="2009-11-30">
              <ENTRIES><ENTRY eventid="22" entrytime="NT" /><ENTRY eventid="14" entrytime="00:00:45.00" /></ENTRIES>
              <RESULTS><RESULT resultid="5" eventid="22" swimtime="00:00:33.40" /></RESULTS>
            </ATHLETE>
            <ATHLETE athleteid="3" lastname="Ødegård&#0;" firstname="Åse&#27;[31m" gender="F" birthdate="2009-01-20">
              <ENTRIES><ENTRY eventid="22" entrytime="00:00:00.00" /></ENTRIES>
              <RESULTS><RESULT resultid="6" eventid="22" swimtime="NT" status="DNS" /></RESULTS>
            </ATHLETE>
          </ATHLETES>
          <RELAYS>
            <RELAY number="1" gender="X" agemax="-1" agemin="-1" agetotalmax="-1" agetotalmin="-1">
              <RESULTS>
                <RESULT resultid="7" eventid="21" swimtime="00:02:05.30">
                  <RELAYPOSITIONS>
                    <RELAYPOSITION number="1" athleteid="2" />
                    <RELAYPOSITION number="2" athleteid="1" />
                    <RELAYPOSITION number="3" athleteid="3" />
                  </RELAYPOSITIONS>
                </RESULT>
              </RESULTS>
            </RELAY>
          </RELAYS>
        </CLUB>
        <CLUB name="Schwimmclub Neptun Zürich" shortname="SC Neptun" code="ZH0815" nation="SUI">
          <ATHLETES>
            <ATHLETE athleteid="4" lastname="Nguyễn" firstname="Thị Ánh" gender="F" birthdate="2007-02-02">
              <ENTRIES><ENTRY eventid="11" entrytime="00:01:00.00" status="WDR" /></ENTRIES>
              <RESULTS><RESULT resultid="8" eventid="22" swimtime="00:00:31.99" /></RESULTS>
            </ATHLETE>
            <ATHLETE athleteid="5" lastname="Wolfeschlegelsteinhausen" firstname="Hubert" gender="M" birthdate="2006-05-05">
              <ENTRIES><ENTRY eventid="12" entrytime="00:00:55.00" /></ENTRIES>
              <RESULTS><RESULT resultid="9" eventid="12" swimtime="NT" status="DNF" /></RESULTS>
            </ATHLETE>
          </ATHLETES>
          <RELAYS>
            <RELAY number="1" gender="M" agemax="-1" agemin="-1" agetotalmax="-1" agetotalmin="-1">
              <ENTRIES><ENTRY eventid="21" entrytime="00:02:10.00" /></ENTRIES>
            </RELAY>
          </RELAYS>
        </CLUB>
        <CLUB name="Tokyo Swimming Club" shortname="東京ＳＣ" shortname.en="TokyoSC" code="13001" nation="JPN">
          <ATHLETES>
            <ATHLETE athleteid="6" lastname="山田" firstname="太郎" lastname.en="Yamada" firstname.en="Taro" gender="M" birthdate="2010-04-02">
              <ENTRIES><ENTRY eventid="22" entrytime="00:00:35.00" /></ENTRIES>
            </ATHLETE>
          </ATHLETES>
        </CLUB>
      </CLUBS>
    </MEET>
  </MEETS>
</LENEX>
)";

} // namespace tolvtest
