'use strict;'
let VLM_DATA=[
`{
	"id":"vlm_1234",
	"Map":"0104 0104 ",
	"audio":{"src":"VLM/bg.ogg","volume":1},
	"colors":[
		{	"color":1,
			"properties": {
				"over": {
					"audio": { "src":"VLM/a.ogg","volume":1 },
					"q":0
				},
				"click": {
					"audio": { "src":"VLM/b.ogg","volume":0.35 },
					"q":0
				},
				"dblclick": {
					"audio": { "src":"VLM/c.ogg","volume":0 },
					"q":0
				}
			}
		},
		{ "q":0 }
	]
}`
];
