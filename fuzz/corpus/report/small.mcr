<?xml version="1.0"?><?xml-stylesheet type="text/xsl" href="report.xsl" ?>

<node name="report" desc="0.0.4">
	<node name="?filters?">
		<node name="Docs" desc="*.txt;" group="1"/>
		<node name="Temp" desc="*.tmp;" kind="1" group="2"/>
	</node>
	<node name="?drive?" desc="0;1;12;0"/>
	<node name="C:" kind="9" val="12288">
		<attr name="1">2;4000;4192;1;1000;3096</attr>
		<attr name="2">1;1000;3096</attr>
		<attr name="info">3;7288;1;13200000000;13300000000</attr>
		<attr name="notes">a&#60;b&#62;&#38;#60;&c</attr>
		<attr name="date">1/2/2024 at 10:00</attr>
		<node name="Docs" kind="8" val="8192">
			<attr name="1">1;3000;1096;1</attr>
			<attr name="2">1;1000;3096;1</attr>
			<attr name="info">2;4192;0;0;0</attr>
		</node>
		<node name="{C:\ files}" kind="7" group="1" val="4096">
			<attr name="1">1;1000;3096;1</attr>
			<attr name="info">1;3096;1;0;0</attr>
		</node>
	</node>
</node>